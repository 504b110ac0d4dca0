#pragma once

class QKeyEvent;
class QObject;
class QWidget;

namespace qv {

// Whether a key pressed in `focus` belongs to it rather than to the main window's commands,
// which work from every window of the program. Keys with Ctrl, Alt or Meta are always the
// commands'. Otherwise an entry field being typed into keeps every key (Qt leaves it only its
// letters and editing keys; Esc and the arrows it ignores would reach the commands); in another
// window than the main one, Esc stays there (it closes a dialog), and Space and the arrows stay
// with a button, a list or a slider.
bool KeyStaysWithWidget(const QObject* focus, const QKeyEvent& key, const QWidget& main_window);

}  // namespace qv
