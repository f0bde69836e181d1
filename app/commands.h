#pragma once

#include <QPoint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/command_gate.h"
#include "app/popup_menu.h"

namespace quova {

struct PlayerSession;

class TQuovaForm;
class MenuItem;
class PopupMenu;

// What a command takes besides its context. The kinds, in the order of the
// alternatives of CommandArg.
enum class ArgKind { None, Item, Real, Integer, Text, Names, Point };
// The menu item chosen (commands shared by several items read its tag or
// caption), a time or a factor, a whole number, a name, names, or a point in
// the window.
using CommandArg = std::variant<std::monostate, MenuItem*, double, int, std::string,
                                std::vector<std::string>, QPoint>;

// What every command runs in.
struct CommandContext {
    PlayerSession& session;
    TQuovaForm& form;
};

using CommandRun = void (*)(CommandContext& context, const CommandArg& arg);

// One command: its id (the handler name the menu design and the handlers of
// the window's controls carry), the argument it takes and what it runs.
struct Command {
    const char* id;
    ArgKind arg;
    CommandRun run;
};

// Every command, whichever way it arrives: the menu, keys, the mouse, the
// title strip, the control bar, the seek and volume bars, the desktop's
// media-player bus, a second start and drops. The one list: an entry point
// naming an id that is not here, or an entry nothing names, is a fault the
// completeness test finds.
const std::vector<Command>& CommandTable();
// The command `id`, or null.
const Command* FindCommand(std::string_view id);
// Whether `arg` is what a command of `kind` takes. A menu item may be given
// to any command an item is on; those that take none ignore it.
bool ArgumentFits(ArgKind kind, const CommandArg& arg);

// What an entry point asks for: a command by id. Implemented by the
// registry; the desktop bus and the window's controls are given one.
class CommandSink {
  public:
    // Runs `id` with `arg` now, or after the command under way. False (and
    // a line in the log) for an id without a command or an argument it does
    // not take.
    virtual bool Run(std::string_view id, CommandArg arg = {}) = 0;
    // The gate the commands run through, for work that must take its turn
    // with them.
    virtual CommandGate& Gate() = 0;

  protected:
    ~CommandSink() = default;
};

// The registry every entry point calls. Commands run one at a time through
// its gate, which the popup menu and the window's own queued work share.
class CommandRegistry final : public CommandSink, public MenuItemRunner {
  public:
    CommandRegistry(PlayerSession& session, TQuovaForm& form) : context_{session, form} {}
    bool Run(std::string_view id, CommandArg arg = {}) override;
    CommandGate& Gate() override { return gate_; }
    // Runs `command` at once; the caller is inside the gate (a menu item).
    void RunNow(const Command& command, const CommandArg& arg);
    // Runs `id` at once, for a caller inside the gate whose work must come in
    // its own order (start-up's command line); false as Run is.
    bool RunWithin(std::string_view id, CommandArg arg);
    // The popup menu's items run their commands through this registry.
    void Install(PopupMenu& menu);
    // A chosen item: its handler's command, at once (the menu is inside the
    // gate already); nothing for a name without one.
    void RunItem(MenuItem& item) override;

  private:
    CommandContext context_;
    CommandGate gate_;
};

// What the entry points other than the menu name, by the control or input
// that names it: the completeness test checks each has its command.
struct Binding {
    const char* input;
    const char* id;
    ArgKind arg;
};
// The keys and mouse actions of the window.
const std::vector<Binding>& WindowBindings();
// The buttons of the title strip, by object name.
const std::vector<Binding>& TitleStripBindings();
// The control bar's buttons by their tag, 1 to 6 from the left.
const std::vector<Binding>& ControlBarBindings();
// The seek bar, the volume bar, the desktop bus, the hand-over and drops.
const std::vector<Binding>& OutsideBindings();
// The id an input of `bindings` names; empty for an input it does not list.
std::string_view BoundId(const std::vector<Binding>& bindings, std::string_view input);

}  // namespace quova
