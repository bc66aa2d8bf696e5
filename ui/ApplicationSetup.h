#pragma once
// What the window program tells Qt before its first window: its name and version, and
// Qt's own texts (the standard buttons of message boxes, the file, print and colour
// dialogs) in Japanese whatever the desktop's language, as every other text is Japanese.

class QApplication;

// False when Qt's Japanese texts are not installed; Qt's English ones show then.
bool SetUpApplication(QApplication& app);
