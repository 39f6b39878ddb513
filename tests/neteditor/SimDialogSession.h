// A session with tolq whose modal dialogs are driven by their items: the
// dialog's form found on the X server, items clicked and typed into at
// their laid-out places, and the message box over a dialog answered. Also
// reads option records out of a saved diagram's defaults.
#pragma once

#include "MainRoadSession.h"

#include <csignal>
#include <cstdint>

namespace tolq::test {

// An item of a dialog's layout: x, y, width, height.
struct DialogItem {
    int x, y, width, height;
};

// The record of the property in the diagram's defaults: its 32-bit words,
// big-endian, behind its id and size; empty when absent.
inline std::vector<uint32_t> SavedRecord(const std::string& bytes, uint32_t property, uint32_t size)
{
    const char pattern[8] = {0, 0, static_cast<char>(property >> 8), static_cast<char>(property & 0xff),
                             0, 0, static_cast<char>(size >> 8),     static_cast<char>(size & 0xff)};
    const size_t at = bytes.rfind(std::string(pattern, sizeof pattern));
    if (at == std::string::npos || at + sizeof pattern + size > bytes.size())
        return {};
    std::vector<uint32_t> words;
    for (size_t i = at + sizeof pattern; i + 4 <= at + sizeof pattern + size; i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k)
            word = (word << 8) | static_cast<uint8_t>(bytes[i + k]);
        words.push_back(word);
    }
    return words;
}

class SimDialogSession : public TolqSession {
protected:
    // The form of the open dialog (the items' parent), once one is mapped.
    std::optional<WindowInfo> DialogForm(std::chrono::milliseconds limit = 10s)
    {
        std::optional<WindowInfo> found;
        wait_until([&] {
            const std::vector<WindowInfo> tree = client_.window_tree();
            for (const WindowInfo& shell : tree) {
                if (shell.parent != client_.root() || !shell.mapped || shell.res_name != "dialog")
                    continue;
                for (const WindowInfo& form : tree)
                    if (form.parent == shell.id)
                        found = form;
            }
            return found.has_value();
        }, limit);
        return found;
    }

    bool DialogGone() { return !DialogForm(200ms).has_value() || wait_until([&] { return !DialogForm(50ms); }, 5s); }

    void ClickItem(const WindowInfo& form, DialogItem item)
    {
        client_.click(form.root_x + item.x + 10, form.root_y + item.y + item.height / 2);
        Settle();
    }

    void TypeInto(const WindowInfo& form, DialogItem item, const std::string& text)
    {
        ClickItem(form, item);
        xdotool({"key", "ctrl+a", "ctrl+k"});
        client_.type_text(text);
        Settle();
    }

    // Closes the message box that stands over the dialog of the form with
    // its button; true when one came and went.
    bool AnswerBoxOver(const WindowInfo& form)
    {
        std::optional<WindowInfo> button;
        auto find = [&] {
            button.reset();
            const std::vector<WindowInfo> tree = client_.window_tree();
            for (const WindowInfo& shell : tree) {
                if (shell.parent != client_.root() || !shell.mapped || shell.res_name != "dialog" ||
                    shell.id == form.parent)
                    continue;
                for (const WindowInfo& box : tree)
                    for (const WindowInfo& child : tree)
                        if (box.parent == shell.id && child.parent == box.id && child.height < 40)
                            button = child;
            }
            return button.has_value();
        };
        if (!wait_until(find))
            return false;
        client_.click(button->root_x + button->width / 2, button->root_y + button->height / 2);
        return wait_until([&] { return !find(); });
    }

    void PressReturn()
    {
        client_.key("Return");
        Settle();
    }

    // Stops tolq and starts it again on the diagram as saved.
    void Restart()
    {
        tolq_.stop(SIGTERM);
        XFreeFont(client_.display(), font_);
        font_ = nullptr;
        client_.sync();
        ASSERT_NO_FATAL_FAILURE(Start());
    }
};

}  // namespace tolq::test
