#pragma once

#include <QString>

#include <optional>

class QLabel;

// The option marks the user sees: "X" when on, nothing when off. The value itself is owned
// elsewhere (AppState, the close dialog) and the mark follows it; read() is the one way code
// reads a mark back, for the Auto Time follower, which still honours a mark written directly.
namespace OptionMark {

QString text(bool on);
// On or off as the mark shows it; no answer for any other text.
std::optional<bool> read(const QLabel *mark);

} // namespace OptionMark
