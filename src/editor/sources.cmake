target_sources(vellumor_core PRIVATE
  editor/Cp1252.h
  editor/RichTextBox.cpp editor/RichTextBox.h
  editor/LayoutBudget.cpp editor/LayoutBudget.h
  editor/EditorJob.cpp editor/EditorJob.h
  editor/FreeMemory.cpp editor/FreeMemory.h
  editor/LayoutPacer.cpp editor/LayoutPacer.h
  editor/PrintJob.cpp editor/PrintJob.h
  editor/TextDecorations.cpp editor/TextDecorations.h
)
target_sources(vellumor_core PRIVATE
  editor/frmMainDocument.cpp
  editor/DocumentFile.cpp editor/DocumentFile.h
  editor/DocumentRecovery.cpp editor/DocumentRecovery.h
  editor/FileDropFilter.cpp editor/FileDropFilter.h
  editor/SermonDocument.cpp editor/SermonDocument.h
  editor/frmMainEdit.cpp
)
target_sources(vellumor_core PRIVATE
  editor/RichTextBoxRtf.cpp editor/RichTextBoxLarge.cpp
  editor/RtfReader.cpp editor/RtfReader.h
  editor/RtfWriter.cpp editor/RtfWriter.h
  editor/Contrast.cpp editor/Contrast.h
  editor/FontDialog.cpp editor/FontDialog.h
  editor/EditShortcutRouter.cpp editor/EditShortcutRouter.h
)
