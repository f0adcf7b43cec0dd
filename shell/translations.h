#pragma once

// Qt's own Japanese translations (Debian's qt6-translations-l10n), so that
// standard dialogs and buttons (file dialogs, OK, Cancel) speak the
// language of the rest of the window.

class QCoreApplication;

// Installs them into the application; false when they are not installed.
bool installQtJapanese(QCoreApplication &app);
