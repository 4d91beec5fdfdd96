// Opens the settings dialog (a QApplication must exist) and runs it until the form ends it.
struct Host_Paths;
int Show_Settings_Dialog(const Host_Paths& paths);
