#pragma once
class QWidget;

namespace kaoshi {

// Dialogs open centred on the screen, not over their owner.
void centreOnScreen(QWidget *dialog);

} // namespace kaoshi
