#pragma once

#include "pulpit/PreachText.h"

#include <QObject>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>
#include <memory>


// Makes the preaching view's copy of a document without stopping the
// window: a short document at once, a long one a slice at a time between
// events. The document may change meanwhile (the copy then starts again)
// or go away (the copy is given up).
class PreachCopy : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreachCopy)

public:
    explicit PreachCopy(QObject *parent = nullptr);
    ~PreachCopy() override;

    // Copies source, in place of any copy under way. A short document is
    // copied, and finished raised, before start returns.
    void start(const QTextDocument &source);
    void cancel();
    bool isRunning() const { return m_source != nullptr; }

    // Time a slice of copying takes at most, as the window sees it.
    static constexpr int SliceMs = 30;

signals:
    void finished(std::shared_ptr<const PreachText> text);

private:
    void step();

    QPointer<const QTextDocument> m_source;
    std::unique_ptr<PreachText::Builder> m_builder;
    QMetaObject::Connection m_changes;
    QTimer m_next;
};
