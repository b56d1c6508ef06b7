#pragma once

// What the program sets up once its QApplication exists and before the main window is built:
// the organisation and application names under which the settings are kept, and modal boxes
// for the messages of the widget-free code. No application display name is set: Qt's desktop
// platforms would append it to every caption the window system shows.
void setUpApplication();
