// What the bindings dialog works on for one transition instance: the
// transition's variables with the values typed for them, the binding
// elements chosen for it (upper list) and those found or made from partial
// values (lower list), and the actions of the dialog's buttons on them. The
// dialog shows this state; everything here talks only to the abstract
// simulator.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "atolq/ASimulator/ASimulator.h"

class SBindSession {
public:
    struct Variable {
        std::string name;
        std::string colourSet;
        std::string value;
        bool fixed = false;  // calculated by the transition's code segment
    };
    // Which list an element stands in.
    enum class List { Upper, Lower };
    // What an action asks of the dialog.
    enum class Outcome { Stay, Bell, Close };

    // refreshGraphics redraws the transition instance after its bindings
    // changed; it may be empty.
    SBindSession(SETrans* transition, ASInstance* instance, std::function<void()> refreshGraphics = {});

    // Opening: the variables and the upper list read again, the lower list
    // and the typed value dropped.
    void Open();

    const std::vector<Variable>& Variables() const { return variables_; }
    const std::vector<ASBindingElement*>& Upper() const { return upper_; }
    const std::vector<ASBindingElement*>& Lower() const { return lower_; }
    // The variable shown in the value field: 0-based, -1 when none.
    int Current() const { return current_; }
    bool CurrentFixed() const;
    // The text an element shows in a list: its values from "<" on.
    static std::string ElementText(const ASBindingElement* element);

    // The value field was edited; false (refused) while the current variable
    // is fixed.
    bool EditValue();
    // Checks the typed text when it was edited: true when it is a legal value
    // of the current variable's colour set (it is then stored) or when there
    // was nothing to check.
    bool AcceptTyped(const std::string& typed);
    // Shows another variable; false when the typed value was refused (the
    // old variable stays current).
    bool ChooseVariable(int index, const std::string& typed);

    // Binds with the values: code 15 (bind all values), 16 (find all bindings
    // that complete them, keeping the earlier found ones when keepFound) or
    // 19 (a partial element made without the evaluator). The element for 15
    // and 19, null when none came.
    ASBindingElement* BindWithValues(int code, bool keepFound = false);

    // The buttons. upper and lower are the 0-based highlighted entries of the
    // two lists, -1 for none.
    Outcome Occur(const std::string& typed);
    void Cancel();
    void Ok();
    void Reset();
    Outcome Up(int upper, int lower, const std::string& typed);
    Outcome Down(int upper, int lower, const std::string& typed);
    Outcome All(const std::string& typed, bool keepFound);
    Outcome One(const std::string& typed);
    Outcome Clear(int upper, int lower);

private:
    void CopyValues(const ASBindingElement* element);
    void EmptyOpenValues();
    ASBindingElement* UserElementFrom(const ASBindingElement* element);
    void Refresh() const;
    void AddUpper(ASBindingElement* element);

    SETrans* transition_;
    ASInstance* instance_;
    std::function<void()> refreshGraphics_;
    std::vector<Variable> variables_;
    std::vector<ASBindingElement*> upper_;
    std::vector<ASBindingElement*> lower_;
    int current_ = -1;
    bool valueEdited_ = false;
};
