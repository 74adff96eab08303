target_sources(vellumor_core PRIVATE
  info/frmMainHelp.cpp
)
