#include "pulpit/PreachCopy.h"

#include <QDeadlineTimer>
#include <QTextDocument>

PreachCopy::PreachCopy(QObject *parent)
    : QObject(parent)
{
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &PreachCopy::step);
}

PreachCopy::~PreachCopy() = default;

void PreachCopy::start(const QTextDocument &source)
{
    cancel();
    m_source = &source;
    // What was copied of a changed document no longer holds.
    m_changes = connect(&source, &QTextDocument::contentsChanged, this, [this] { m_builder.reset(); });
    step();
}

void PreachCopy::cancel()
{
    disconnect(m_changes);
    m_next.stop();
    m_builder.reset();
    m_source = nullptr;
}

void PreachCopy::step()
{
    if (!m_source) {
        cancel();
        return;
    }
    const QDeadlineTimer deadline(SliceMs);
    if (!m_builder)
        m_builder = std::make_unique<PreachText::Builder>(*m_source);
    if (!m_builder->step(deadline)) {
        m_next.start();
        return;
    }
    auto text = std::make_shared<const PreachText>(m_builder->finish());
    cancel();
    emit finished(std::move(text));
}
