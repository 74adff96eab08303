#include "app/frmMain.h"

bool frmMain::confirmExit() { return true; }
bool frmMain::SaveChanges() { return true; }
void frmMain::SaveDocument() {}
void frmMain::RichTextBox1_Change() {}
void frmMain::mnuFileNew_Click() {}
void frmMain::mnuFileOpen_Click() {}
void frmMain::mnuSaveFile_Click() {}
void frmMain::mnuFileSaveAs_Click() {}
void frmMain::mnuFilePrint_Click() {}
