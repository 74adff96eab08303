target_sources(vellumor_core PRIVATE
  app/AppSetup.cpp app/AppSetup.h
  app/CommandLine.cpp app/CommandLine.h
  app/CommonDialog.cpp app/CommonDialog.h
  app/CoolClose.cpp app/CoolClose.h
  app/FocusRing.cpp app/FocusRing.h
  app/GeometrySettings.cpp app/GeometrySettings.h
  app/HeldKeyFilter.cpp app/HeldKeyFilter.h
  app/OpenRequests.cpp app/OpenRequests.h
  app/Pictures.cpp app/Pictures.h
  app/RainButton.cpp app/RainButton.h
  app/RecentFiles.cpp app/RecentFiles.h
  app/SingleInstance.cpp app/SingleInstance.h
  app/Twips.h
  app/WindowCentring.cpp app/WindowCentring.h
  app/frmMain.cpp app/frmMain.h
  app/frmMainDesktop.cpp
  app/frmSplash.cpp app/frmSplash.h
)
