#pragma once

#include "editor/SermonDocument.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class BoundView;
class CommonDialog;
class DataSource;
class DocumentSpelling;
class PanelFind;
class RainButton;
class RecentFiles;
class RichTextBox;
class ScriptureCommands;
class SubjectList;
class TextDecorations;
class frmHelp;
class frmPreach;

// The program's working window: the sermon document, the formatting strip,
// the four reference panels and the menus. Controls carry the names the
// handlers and the help text refer to (objectName equals the member name).
class frmMain : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    // dataDir: the folder holding the reference databases (the configured
    // data folder in the program; a fixture folder in tests).
    explicit frmMain(const QString &dataDir, QWidget *parent = nullptr);
    ~frmMain() override;

    // Shrinks the window about its centre, then closes it. speed > 0.
    void coolCloseForm(QWidget *window, short speed);

    // Another window of the program, closed with this one (newest first).
    void registerWindow(QWidget *window);

    // Document commands.
    bool SaveChanges();
    void SaveDocument();
    // Opens the file as File, Open does after its dialog (the unsaved-changes
    // question is the caller's): the same failure messages. False when the
    // file could not be opened; the document is then as it was.
    bool openDocumentFile(const QString &path);
    // Keeps unsaved work in a recovery file (in folder, by default the
    // per-user data folder) and, once the window is up, offers the work
    // that programs which did not end properly left behind.
    void enableRecovery(const QString &folder = {});
    // Opens a file named on the command line, as File, Open does. While
    // recovered documents are still being offered the file waits for the
    // answers: when one is recovered the file is not opened (a message
    // names it), so that the recovered work is not replaced unasked;
    // otherwise it opens after the last answer.
    void openFromCommandLine(const QString &path);
    // Documents asked for other than through File, Open's dialog (the recent
    // list, the command line, a later start of the program): the first is
    // opened as openFromCommandLine does; the others are named as not opened.
    void openFromOutside(const QStringList &files);
    // The File menu's list of the documents last opened or saved.
    RecentFiles *recentFiles() const { return m_recentFiles; }

    // Display-only marks on RichTextBox1 (misspelled words and the like),
    // shared by every feature that marks the document; made on first use.
    TextDecorations *documentDecorations();

    // --- controls (objectName = member name) ---
    QPushButton *cmdUpperCase = nullptr;
    QPushButton *cmdLowerCase = nullptr;
    std::array<QPushButton *, 3> optAlign{}; // index 0 left, 1 right, 2 centre
    QLineEdit *txtTextBox1 = nullptr;
    QLineEdit *txtTextBox2 = nullptr;
    QLineEdit *txtTextBox3 = nullptr;
    RainButton *rnbFind1 = nullptr;
    RainButton *rnbFindNext1 = nullptr;
    RainButton *rnbFind2 = nullptr;
    RainButton *rnbFindNext2 = nullptr;
    RainButton *rnbFind3 = nullptr;
    RainButton *rnbFindNext3 = nullptr;
    QLabel *Label6 = nullptr;
    RichTextBox *RichTextBox1 = nullptr; // the sermon document
    RichTextBox *RichTextBox2 = nullptr; // Bible
    RichTextBox *RichTextBox3 = nullptr; // quotations
    RichTextBox *RichTextBox4 = nullptr; // sermon types and samples
    RichTextBox *RichTextBox5 = nullptr; // dictionary
    QGroupBox *frmBibleKJ = nullptr;
    QGroupBox *frameSermonType = nullptr;
    QGroupBox *frameQuotation = nullptr;
    QGroupBox *frmHumor = nullptr;
    SubjectList *lstBible = nullptr;
    SubjectList *lstSermonType = nullptr;
    SubjectList *LstQuote = nullptr;
    SubjectList *lstJoke = nullptr;
    CommonDialog *CommonDialog1 = nullptr;

    // Reference data sources (hidden; open when the window is created).
    DataSource *databible = nullptr;
    DataSource *datasermon = nullptr;
    DataSource *dataquote = nullptr;
    DataSource *datajoke = nullptr;

    // --- menus ---
    QMenu *mnuFile = nullptr;
    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuSaveFile = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuFormat = nullptr;
    QAction *mnuAllCaps = nullptr;
    QAction *mnuFont = nullptr;
    QAction *mnuBold = nullptr;
    QAction *mnuUnderline = nullptr;
    QAction *mnuFindText3 = nullptr;
    QAction *mnuItalic = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuClearAll = nullptr;
    QAction *mnuEditCut = nullptr;
    QAction *mnuEditCopy = nullptr;
    QAction *mnuEditPaste = nullptr;
    QMenu *mnuTools = nullptr;
    QAction *mnuToolsInsertScripture = nullptr;
    QAction *mnuToolsWordCount = nullptr;
    QAction *mnuToolsPreach = nullptr;
    QAction *mnuToolsSpelling = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpAbout = nullptr;

    // --- document state: kept by the document, under the names the handlers use ---
    SermonDocument *const Document = new SermonDocument(this);
    QString &CurrentFile = Document->CurrentFile;
    QString &PreviousFile = Document->PreviousFile;
    bool &TextChanged = Document->TextChanged;
    bool &SkipNextChange = Document->SkipNextChange;

    // --- subject lookup state: the item last chosen in each list ---
    QString strBibleSubject;
    QString strQuoteSubject;
    QString strSermonSubject;

public slots:
    // window lifecycle
    void Form_Load();
    void Form_Unload();
    // File
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuSaveFile_Click();
    void mnuFileSaveAs_Click();
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    // Format
    void mnuAllCaps_Click();
    void mnuFont_Click();
    void mnuBold_Click();
    void mnuUnderline_Click();
    void mnuFindText3_Click();
    void mnuItalic_Click();
    void cmdUpperCase_Click(int Index);
    void cmdLowerCase_Click(int Index);
    void optAlign_Click(int Index);
    // Edit
    void mnuEdit_Click();
    void mnuClearAll_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    // Tools
    void mnuToolsInsertScripture_Click();
    void mnuToolsWordCount_Click();
    void mnuToolsPreach_Click();
    // Help
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    // document
    void RichTextBox1_Change();
    // reference panels
    void lstBible_Click();
    void lstJoke_Click();
    void LstQuote_Click();
    void lstSermonType_Click();
    void rnbFind1_Click();
    void rnbFindNext1_Click();
    void rnbFind2_Click();
    void rnbFindNext2_Click();
    void rnbFind3_Click();
    void rnbFindNext3_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void setFocusOrder();
    // Area set-up, each defined beside its handlers.
    void setUpEditCommands();      // editor/frmMainEdit.cpp
    void setUpDocument();          // editor/frmMainDocument.cpp
    void setUpReferencePanels();   // reference/frmMainReference.cpp
    void setUpScripture();         // scripture/frmMainScripture.cpp
    void setUpPulpit();            // pulpit/frmMainPulpit.cpp
    void placeCaretAtParagraph(int paragraph);
    void setUpSpelling();          // spelling/frmMainSpelling.cpp
    void setUpDesktop();           // app/frmMainDesktop.cpp
    // Asks about unsaved changes before the program ends; false keeps it running.
    bool confirmExit();            // editor/frmMainDocument.cpp
    void savePdf();                // the print command's offer when there is no printer
    QString printTitle() const;    // the document's name for the printer or the PDF
    void offerRecoveredDocuments();
    void offerNextRecovered();
    // The recovered documents have all been answered: the file named on
    // the command line, if any, opens now, or is said not to.
    void openAfterRecovery();
    // The editor started or ended a long command; the document commands follow.
    void RichTextBox1_busyChanged(bool busy);
    // Cancels a long command that can be cancelled; false when one is under
    // way that cannot.
    bool stopLongCommand();

    QString m_dataDir;
    QPointer<frmHelp> m_help;
    QPointer<frmPreach> m_preach;
    TextDecorations *m_decorations = nullptr;
    DocumentSpelling *m_spelling = nullptr; // once the checker has loaded, if there is a dictionary
    QList<QPointer<QWidget>> m_otherWindows;
    bool m_unloaded = false;
    bool m_closing = false;
    bool m_recoveryWarned = false;
    bool m_closeWhenIdle = false; // closed during a long command that cannot be cancelled
    bool m_exitWhenIdle = false;
    std::vector<DocumentRecovery::Orphan> m_orphans; // recovered documents still to offer
    bool m_offeringRecovered = false; // one of them is being answered or restored
    bool m_recoveredMeanwhile = false; // one was restored while a file waited
    QString m_openAfterRecovery;       // the file named on the command line, waiting

    // reference panels: each view follows its data source's current record
    BoundView *m_bibleView = nullptr;
    BoundView *m_jokeView = nullptr;
    BoundView *m_quoteView = nullptr;
    BoundView *m_sermonView = nullptr;
    // Find of the Bible and dictionary panels, beyond the entry on show
    PanelFind *m_bibleFind = nullptr;
    PanelFind *m_jokeFind = nullptr;
    // Insert Scripture, Bible verses dropped in, live references
    ScriptureCommands *m_scripture = nullptr;
    RecentFiles *m_recentFiles = nullptr;
};
