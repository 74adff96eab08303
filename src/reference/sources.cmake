target_sources(vellumor_core PRIVATE
  reference/BibleReference.cpp reference/BibleReference.h
  reference/BoundView.cpp reference/BoundView.h
  reference/DataSource.cpp reference/DataSource.h
  reference/EntryDocumentCache.cpp reference/EntryDocumentCache.h
  reference/FindTables.h
  reference/IntegrityCheck.cpp reference/IntegrityCheck.h
  reference/PanelFind.cpp reference/PanelFind.h
  reference/ReferenceSchema.h
  reference/SubjectList.cpp reference/SubjectList.h
  reference/SubjectNeighbours.cpp reference/SubjectNeighbours.h
  reference/SubjectLists.cpp reference/SubjectLists.h
  reference/TextMatch.cpp reference/TextMatch.h
  reference/frmMainReference.cpp
)
