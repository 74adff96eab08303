#include "app/frmMain.h"

void frmMain::mnuHelpContents_Click() {}
void frmMain::mnuHelpAbout_Click() {}
