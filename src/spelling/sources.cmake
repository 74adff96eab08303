target_sources(vellumor_core PRIVATE
  spelling/Speller.cpp spelling/Speller.h
  spelling/SpellChecker.cpp spelling/SpellChecker.h
  spelling/DocumentSpelling.cpp spelling/DocumentSpelling.h
  spelling/frmMainSpelling.cpp
)
