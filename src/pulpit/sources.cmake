target_sources(vellumor_core PRIVATE
  pulpit/SpeakingTime.cpp pulpit/SpeakingTime.h
  pulpit/TextCount.cpp pulpit/TextCount.h
)
