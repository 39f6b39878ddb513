// The bindings dialog's state and actions on the abstract simulator: the
// variables of one transition instance with their typed values, the chosen
// elements (upper list) and the found or partial ones (lower list).
#include "atolq/CSimulator/SimBindSession.h"

#include <algorithm>
#include <cstring>

#include "atolq/AEditor/SEInternal.h"

namespace {

constexpr int kBindAll = 15;
constexpr int kFindAll = 16;
constexpr int kPartial = 19;

// The value texts of an element, one per variable.
std::vector<std::string> ValuesOf(const ASBindingElement* element)
{
    std::vector<std::string> values;
    ASIterator it{};
    it.word[0] = reinterpret_cast<uintptr_t>(element);
    if (ASFirst(14, &it) == 0)
        return values;
    while (ASNext(14, &it) != 0) {
        const char* text = reinterpret_cast<const char*>(it.word[1]);
        values.emplace_back(text != nullptr ? text : "");
    }
    return values;
}

template <typename T>
void Erase(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// Inserts the element where its text sorts, as the list shows it.
void InsertSorted(std::vector<ASBindingElement*>& list, ASBindingElement* element)
{
    const std::string text = SBindSession::ElementText(element);
    auto at = std::upper_bound(list.begin(), list.end(), text, [](const std::string& t, ASBindingElement* e) {
        return t < SBindSession::ElementText(e);
    });
    list.insert(at, element);
}

}  // namespace

SBindSession::SBindSession(SETrans* transition, ASInstance* instance, std::function<void()> refreshGraphics)
    : transition_(transition), instance_(instance), refreshGraphics_(std::move(refreshGraphics))
{
}

std::string SBindSession::ElementText(const ASBindingElement* element)
{
    std::string text = ASValueListText(element);
    return text.size() >= 3 ? text.substr(3) : text;
}

void SBindSession::Open()
{
    variables_.clear();
    upper_.clear();
    lower_.clear();
    current_ = -1;
    valueEdited_ = false;
    ASIterator it{};
    it.word[0] = reinterpret_cast<uintptr_t>(transition_);
    it.word[1] = reinterpret_cast<uintptr_t>(instance_);
    if (ASFirst(11, &it) != 0) {
        while (ASNext(11, &it) != 0) {
            const char* name = reinterpret_cast<const char*>(it.word[2]);
            const char* colourSet = reinterpret_cast<const char*>(it.word[3]);
            variables_.push_back({name != nullptr ? name : "", colourSet != nullptr ? colourSet : "", "",
                                  it.word[4] != 0});
        }
    }
    for (size_t i = 0; i < variables_.size() && current_ < 0; ++i) {
        if (!variables_[i].fixed)
            current_ = static_cast<int>(i);
    }
    if (current_ < 0 && !variables_.empty())
        current_ = 0;
    ASIterator elements{};
    elements.word[0] = reinterpret_cast<uintptr_t>(transition_);
    elements.word[1] = reinterpret_cast<uintptr_t>(instance_);
    if (ASFirst(12, &elements) != 0) {
        while (ASNext(12, &elements) != 0)
            InsertSorted(upper_, reinterpret_cast<ASBindingElement*>(elements.word[2]));
    }
}

bool SBindSession::CurrentFixed() const
{
    return current_ >= 0 && variables_[static_cast<size_t>(current_)].fixed;
}

bool SBindSession::EditValue()
{
    if (current_ < 0 || CurrentFixed())
        return false;
    valueEdited_ = true;
    return true;
}

bool SBindSession::AcceptTyped(const std::string& typed)
{
    if (!valueEdited_ || current_ < 0 || CurrentFixed())
        return true;
    Variable& variable = variables_[static_cast<size_t>(current_)];
    if (ASCheckLegalValue(variable.colourSet.c_str(), typed.c_str()) == 0)
        return false;
    variable.value = typed;
    valueEdited_ = false;
    return true;
}

bool SBindSession::ChooseVariable(int index, const std::string& typed)
{
    if (index < 0 || index >= static_cast<int>(variables_.size()) || index == current_)
        return true;
    if (!CurrentFixed() && !AcceptTyped(typed))
        return false;
    current_ = index;
    valueEdited_ = false;
    return true;
}

ASBindingElement* SBindSession::BindWithValues(int code, bool keepFound)
{
    ASBindRequest context{};
    context.transition = transition_;
    context.instance = instance_;
    context.done = code == kFindAll && !keepFound ? 1 : 0;
    if (ASBeginBindingValues(code, &context) == 0)
        return nullptr;
    for (const Variable& variable : variables_) {
        if (context.collected >= static_cast<int>(variables_.size()))
            break;
        context.value = variable.fixed ? "" : variable.value.c_str();
        if (ASAddBindingValue(code, &context) == 0)
            return nullptr;
    }
    if (code == kFindAll)
        return nullptr;
    return context.done != 0 ? context.element : nullptr;
}

void SBindSession::Refresh() const
{
    if (refreshGraphics_)
        refreshGraphics_();
}

void SBindSession::AddUpper(ASBindingElement* element)
{
    Erase(lower_, element);
    InsertSorted(upper_, element);
}

void SBindSession::CopyValues(const ASBindingElement* element)
{
    const std::vector<std::string> values = ValuesOf(element);
    for (size_t i = 0; i < values.size() && i < variables_.size(); ++i) {
        if (!variables_[i].fixed)
            variables_[i].value = values[i];
    }
    valueEdited_ = false;
}

void SBindSession::EmptyOpenValues()
{
    for (Variable& variable : variables_) {
        if (!variable.fixed)
            variable.value.clear();
    }
    valueEdited_ = false;
}

ASBindingElement* SBindSession::UserElementFrom(const ASBindingElement* element)
{
    MemFile* reply = ASReplyBuffer();
    MemFileReset(reply);
    MemFilePutc(reply, 6);
    if (element->values != nullptr && element->valuesLength > 0)
        MemFileWrite(reply, element->values, static_cast<uint32_t>(element->valuesLength));
    ASBindRequest context{};
    context.transition = transition_;
    context.instance = instance_;
    return ASMakeUserBindingElement(&context);
}

SBindSession::Outcome SBindSession::Occur(const std::string& typed)
{
    if (!AcceptTyped(typed))
        return Outcome::Bell;
    if (upper_.empty()) {
        ASBindingElement* element = BindWithValues(kBindAll);
        if (element == nullptr)
            return Outcome::Bell;
        const int result = ASManualBind(element);
        if (result != 1)
            return result == 0 || result == -1 ? Outcome::Bell : Outcome::Stay;
        Refresh();
    }
    ASResetTransitionBindings(transition_, instance_);
    upper_.clear();
    lower_.clear();
    return Outcome::Close;
}

void SBindSession::Cancel()
{
    ASUnchooseTransition(transition_, instance_);
    ASResetTransitionBindings(transition_, instance_);
    Refresh();
    upper_.clear();
    lower_.clear();
}

void SBindSession::Ok()
{
    ASResetTransitionBindings(transition_, instance_);
    upper_.clear();
    lower_.clear();
}

void SBindSession::Reset()
{
    ASUnchooseTransition(transition_, instance_);
    Refresh();
    Open();
}

SBindSession::Outcome SBindSession::Up(int upper, int lower, const std::string& typed)
{
    if (upper >= 0 && upper < static_cast<int>(upper_.size())) {
        CopyValues(upper_[static_cast<size_t>(upper)]);
        return Outcome::Stay;
    }
    if (lower >= 0 && lower < static_cast<int>(lower_.size())) {
        ASBindingElement* made = UserElementFrom(lower_[static_cast<size_t>(lower)]);
        ASBindingElement* bound = made != nullptr ? ASRebind(made) : nullptr;
        if (bound == nullptr)
            return Outcome::Bell;
        if (ASManualBind(bound) == 1) {
            AddUpper(bound);
            Refresh();
        }
        return Outcome::Stay;
    }
    if (!AcceptTyped(typed))
        return Outcome::Bell;
    ASBindingElement* partial = BindWithValues(kPartial);
    if (partial == nullptr)
        return Outcome::Bell;
    lower_.push_back(partial);
    return Outcome::Stay;
}

SBindSession::Outcome SBindSession::Down(int upper, int lower, const std::string& typed)
{
    if (upper >= 0 && upper < static_cast<int>(upper_.size())) {
        ASBindingElement* made = UserElementFrom(upper_[static_cast<size_t>(upper)]);
        if (made == nullptr)
            return Outcome::Bell;
        lower_.push_back(made);
        return Outcome::Stay;
    }
    if (lower >= 0 && lower < static_cast<int>(lower_.size())) {
        CopyValues(lower_[static_cast<size_t>(lower)]);
        return Outcome::Stay;
    }
    if (!AcceptTyped(typed))
        return Outcome::Bell;
    ASBindingElement* element = BindWithValues(kBindAll);
    if (element == nullptr)
        return Outcome::Bell;
    // Only a bound element joins the upper list: one left provisional would
    // go with the provisional list while the list still showed it.
    if (ASManualBind(element) != 1)
        return Outcome::Bell;
    AddUpper(element);
    Refresh();
    EmptyOpenValues();
    return Outcome::Stay;
}

SBindSession::Outcome SBindSession::All(const std::string& typed, bool keepFound)
{
    if (!AcceptTyped(typed))
        return Outcome::Bell;
    // The found elements die with the provisional list unless they are kept.
    if (!keepFound)
        lower_.clear();
    BindWithValues(kFindAll, keepFound);
    lower_.clear();
    ASIterator it{};
    it.word[0] = reinterpret_cast<uintptr_t>(transition_);
    it.word[1] = reinterpret_cast<uintptr_t>(instance_);
    if (ASFirst(13, &it) != 0) {
        while (ASNext(13, &it) != 0)
            lower_.push_back(reinterpret_cast<ASBindingElement*>(it.word[2]));
    }
    return Outcome::Stay;
}

SBindSession::Outcome SBindSession::One(const std::string& typed)
{
    if (!AcceptTyped(typed))
        return Outcome::Bell;
    ASBindingElement* element = BindWithValues(kBindAll);
    if (element == nullptr)
        return Outcome::Bell;
    CopyValues(element);
    return Outcome::Stay;
}

SBindSession::Outcome SBindSession::Clear(int upper, int lower)
{
    if (upper >= 0 && upper < static_cast<int>(upper_.size())) {
        ASBindingElement* element = upper_[static_cast<size_t>(upper)];
        upper_.erase(upper_.begin() + upper);
        ASWithdrawAndRecheck(element);
        Refresh();
        return Outcome::Stay;
    }
    if (lower >= 0 && lower < static_cast<int>(lower_.size())) {
        ASBindingElement* element = lower_[static_cast<size_t>(lower)];
        lower_.erase(lower_.begin() + lower);
        if (element->state == kASProvisionalFound)
            ASDeleteBindingElement(element);
        return Outcome::Stay;
    }
    EmptyOpenValues();
    return Outcome::Stay;
}
