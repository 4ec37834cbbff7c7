// Start-up of the program.
#pragma once

class QTranslator;
class QWidget;

// Refuses a second copy, opens the database and shows the main menu modeless.
// The program runs for as long as a window is open afterwards.
void Main();
// Japanese for the whole program whatever the system's locale: dates, month and
// weekday names, and Qt's own texts (file dialogs, standard buttons). The translator
// belongs to the application; nullptr when none could be loaded.
QTranslator* funcUseJapanese();
// Lets a test start the program a second time in one process.
void subReleaseRunningLock();
// Lets the user move a window without a title bar by dragging its background.
void subMoveForm(QWidget* window);
