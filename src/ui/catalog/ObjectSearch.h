#pragma once

#include "catalog/CatalogService.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace sr5n {

class ObjectListModel;

// A list of objects searched as the user types, without flooding the
// catalogue: asked after a pause in the typing, the count and the first page
// in one request, a newer search dropping an older one still waiting; the
// model is listed with the newest answer only.
class ObjectSearch final : public QObject
{
    Q_OBJECT

public:
    // The pause after the last keystroke.
    static constexpr int kPauseMs = 200;

    ObjectSearch(CatalogService &service, ObjectListModel &model, QObject *parent = nullptr);

    // The text changed: searched after the pause.
    void typed(const QString &text);
    // Searched now, keeping at least `rows` listed (a list shown again after a change).
    void now(const QString &text, qsizetype rows = 0);
    // A search asked and not answered yet (or a pause running).
    bool busy() const { return m_pause.isActive() || m_waiting; }
    // Searches sent to the catalogue so far.
    int sent() const { return m_sent; }
    const QString &text() const { return m_text; }

signals:
    // A search went to the catalogue.
    void searching();
    // The model lists the answer.
    void listed(const sr5n::ObjectPage &page);
    // The catalogue could not search: the list is empty for this reason.
    void failed(const QString &reason);

private:
    CatalogService &m_service;
    ObjectListModel &m_model;
    QTimer m_pause;
    QString m_text;
    quint64 m_generation = 0;
    bool m_waiting = false;
    int m_sent = 0;
};

} // namespace sr5n
