#pragma once

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace sr5n {

// "Маска цифр префикса": which of the four prefix characters a code digit is
// sent with. A dialog without a title bar, shown centred on the mask button
// that opened it.
class TfrmPrefixMask final : public QDialog
{
public:
    explicit TfrmPrefixMask(QWidget *parent = nullptr);

    // Shows the prefix characters and the ticks of `selection`, centred on
    // `button`; the new selection when closed with OK.
    std::optional<int> choose(const QString &prefix, int selection, const QWidget *button);
    // What choose() does before showing the dialog.
    void prepare(const QString &prefix, int selection, const QWidget *button);
    // The selection the ticked boxes make.
    int selection() const;

    QLabel *lblTitle = nullptr;
    QLabel *lbl[4] = {};
    QCheckBox *chb[4] = {};
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};

} // namespace sr5n
