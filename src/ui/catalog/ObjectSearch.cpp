#include "ui/catalog/ObjectSearch.h"

#include "ui/catalog/ObjectListModel.h"

namespace sr5n {

ObjectSearch::ObjectSearch(CatalogService &service, ObjectListModel &model, QObject *parent)
    : QObject(parent), m_service(service), m_model(model)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, [this] { now(m_text); });
}

void ObjectSearch::typed(const QString &text)
{
    m_text = text;
    m_pause.start();
}

void ObjectSearch::now(const QString &text, qsizetype rows)
{
    m_pause.stop();
    m_text = text;
    const quint64 generation = ++m_generation;
    const qsizetype asked = qMax(rows, ObjectListModel::kPage);
    m_waiting = true;
    ++m_sent;
    emit searching();
    m_service.search(
        this, text, 0, asked, [this, generation, text, asked](Expected<ObjectPage> page) {
            // An answer that a newer search made stale is dropped.
            if (generation != m_generation)
                return;
            m_waiting = false;
            if (!page) {
                m_model.clear();
                emit failed(page.reason());
                return;
            }
            m_model.list(
                page->objects, page->total, asked,
                [this, text](qsizetype first, qsizetype count, ObjectListModel::Done done) {
                    m_service.page(&m_model, text, first, count, std::move(done));
                });
            emit listed(*page);
        });
}

} // namespace sr5n
