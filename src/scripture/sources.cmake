target_sources(vellumor_core PRIVATE
  scripture/BibleText.cpp scripture/BibleText.h
  scripture/LiveReferences.cpp scripture/LiveReferences.h
  scripture/ScriptureCommands.cpp scripture/ScriptureCommands.h
  scripture/dlgInsertScripture.cpp scripture/dlgInsertScripture.h
  scripture/frmMainScripture.cpp)
