target_sources(vellumor_core PRIVATE
  info/frmMainHelp.cpp
  info/frmAbout.cpp
  info/frmAbout.h
  info/frmHelp.cpp
  info/frmHelp.h
  info/HelpText.cpp
  info/HelpText.h
  info/SystemInfoLocator.cpp
  info/SystemInfoLocator.h
)
