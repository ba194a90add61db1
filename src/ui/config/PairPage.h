#pragma once

#include <QWidget>

namespace sr5n {

class ConfigBinding;
class ConfigModel;
class Notifier;

// The page of one pair of monitoring-station numbers ("Первая пара номеров",
// "Вторая пара номеров"): its two numbers, the pair parameters, the test
// message and the automatic reset, bound to the model.
class PairPage final : public QWidget
{
public:
    PairPage(ConfigModel &model, int pair, Notifier &notifier, QWidget *parent = nullptr);

    int pair() const { return m_pair; }
    // The page's tab caption.
    static QString caption(int pair);

private:
    QWidget *makeNumberGroup(int number);
    QWidget *makePairGroup();
    QWidget *makeTestGroup();
    QWidget *makeAutoResetGroup();

    ConfigModel &m_model;
    int m_pair;
    ConfigBinding *m_binding;
};

} // namespace sr5n
