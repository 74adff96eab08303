target_sources(vellumor_core PRIVATE
  pulpit/PreachCopy.cpp pulpit/PreachCopy.h
  pulpit/PreachPages.cpp pulpit/PreachPages.h
  pulpit/PreachText.cpp pulpit/PreachText.h
  pulpit/PreachZoom.cpp pulpit/PreachZoom.h
  pulpit/PulpitSettings.cpp pulpit/PulpitSettings.h
  pulpit/SpeakingTime.cpp pulpit/SpeakingTime.h
  pulpit/TextCount.cpp pulpit/TextCount.h
  pulpit/dlgWordCount.cpp pulpit/dlgWordCount.h
  pulpit/frmMainPulpit.cpp
  pulpit/frmPreach.cpp pulpit/frmPreach.h
)
