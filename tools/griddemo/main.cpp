// Shows a multi-cell grid holding one cell of each type.
//   sr5n-griddemo                    the window, to try the editors by hand
//   sr5n-griddemo --screenshot FILE  one picture per editor, stacked, into FILE
//   sr5n-griddemo --bench            times the set-up and repaint of large tables

#include "components/TMultiGrid.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

using namespace sr5n;

namespace {

struct Row {
    TCellType type;
    const char *name;
};

const Row kRows[] = {
    {mctText, "mctText"},         {mctCombo, "mctCombo"},   {mctSpin, "mctSpin"},
    {mctDateTime, "mctDateTime"}, {mctDialog, "mctDialog"}, {mctProgress, "mctProgress"},
    {mctCheck, "mctCheck"},
};

void fillDemo(TMultiGrid &grid, QDialog *dialog)
{
    grid.SetColCount(3);
    grid.SetRowCount(int(std::size(kRows)) + 1);
    grid.SetFixedCols(1);
    grid.SetFixedRows(1);
    grid.SetColWidths(0, 110);
    grid.SetColWidths(1, 180);
    grid.SetColWidths(2, 140);
    for (int r = 0; r < grid.RowCount(); ++r)
        grid.SetRowHeights(r, 28);
    grid.SetAlignmentV(mavCenter);
    grid.Cells(0, 0)->SetText(QStringLiteral("Тип"));
    grid.Cells(1, 0)->SetText(QStringLiteral("Ячейка"));
    grid.Cells(2, 0)->SetText(QStringLiteral("Отключённая"));
    for (int i = 0; i < int(std::size(kRows)); ++i) {
        const int row = i + 1;
        grid.Cells(0, row)->SetText(QString::fromLatin1(kRows[i].name));
        for (int col = 1; col <= 2; ++col) {
            TMultiCell *cell = grid.Cells(col, row);
            cell->SetCellType(kRows[i].type);
            switch (kRows[i].type) {
            case mctText:
                cell->SetText(QStringLiteral("1A2B"));
                break;
            case mctCombo:
                cell->Items() = {QStringLiteral("Тон"), QStringLiteral("Импульс"),
                                 QStringLiteral("Голос")};
                cell->SetItemIndex(1);
                break;
            case mctSpin:
                cell->SetMinValue(0);
                cell->SetMaxValue(100);
                cell->SetIncrement(5);
                cell->SetText(QStringLiteral("35"));
                break;
            case mctDateTime:
                cell->SetText(QStringLiteral("25/12/2026"));
                break;
            case mctDialog:
                cell->SetText(QStringLiteral("3 зоны"));
                cell->SetDlgForm(dialog);
                break;
            case mctProgress:
                cell->SetMaxValue(100);
                cell->SetProgress(60);
                break;
            case mctCheck:
                cell->SetText(QStringLiteral("Да"));
                cell->SetChecked(true);
                break;
            }
        }
        grid.Cells(2, row)->SetEnabled(false);
    }
    grid.HideControls();
}

int screenshot(const QString &file)
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *grid = new TMultiGrid(&window);
    layout->addWidget(grid);
    QDialog dialog(&window);
    fillDemo(*grid, &dialog);
    window.resize(470, 275);
    window.show();
    QApplication::processEvents();

    // One picture for each cell that has an editor, then the whole grid with
    // the check cell current.
    std::vector<QImage> shots;
    for (int row : {1, 2, 3, 4, 5, 7}) {
        grid->FocusCell(1, row);
        grid->setFocus();
        QApplication::processEvents();
        shots.push_back(window.grab().toImage());
    }
    int height = 0;
    for (const QImage &shot : shots)
        height += shot.height();
    QImage sheet(shots.front().width(), height, QImage::Format_ARGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int y = 0;
    for (const QImage &shot : shots) {
        painter.drawImage(0, y, shot);
        y += shot.height();
        painter.fillRect(0, y - 2, sheet.width(), 2, Qt::darkBlue);
    }
    painter.end();
    if (!sheet.save(file)) {
        std::fprintf(stderr, "Cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("%s\n", qPrintable(file));
    return 0;
}

// Builds the external-event table's shape: 61 rows, 6 columns, 60 x 2 dialog
// cells holding 70 zone codes each and 60 x 2 check cells.
void fillExternal(TMultiGrid &grid)
{
    grid.SetColCount(6);
    grid.SetRowCount(61);
    grid.SetFixedCols(2);
    const int widths[] = {25, 379, 100, 100, 40, 40};
    for (int c = 0; c < 6; ++c)
        grid.SetColWidths(c, widths[c]);
    grid.SetAlignmentH(mahCenter);
    grid.SetAlignmentV(mavCenter);
    for (int r = 1; r < 61; ++r) {
        grid.Cells(0, r)->SetText(QString::number(r));
        grid.Cells(1, r)->SetText(QStringLiteral("Событие номер %1").arg(r));
        for (int c = 2; c <= 3; ++c) {
            TMultiCell *cell = grid.Cells(c, r);
            cell->SetCellType(mctDialog);
            cell->Items() = QStringList(70, QStringLiteral("0000"));
            cell->SetText(QStringLiteral("0000"));
        }
        for (int c = 4; c <= 5; ++c) {
            TMultiCell *cell = grid.Cells(c, r);
            cell->SetCellType(mctCheck);
            cell->SetIndentH(14);
            cell->SetChecked(r % 3 == 0);
        }
    }
    grid.HideControls();
}

int bench()
{
    TMultiGrid grid;
    grid.resize(720, 1600);
    grid.show();
    QApplication::processEvents();

    constexpr int rounds = 20;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        grid.SetRowCount(2);
        fillExternal(grid);
    }
    const double setupMs = double(timer.nsecsElapsed()) / 1e6 / rounds;
    QApplication::processEvents();

    timer.restart();
    for (int i = 0; i < rounds; ++i)
        grid.viewport()->repaint();
    const double repaintMs = double(timer.nsecsElapsed()) / 1e6 / rounds;

    timer.restart();
    for (int i = 0; i < rounds; ++i)
        grid.Clear();
    const double clearMs = double(timer.nsecsElapsed()) / 1e6 / rounds;

    std::printf("set-up of the 61 x 6 external table (120 x 70 zone codes): %.2f ms\n", setupMs);
    std::printf("full repaint of the table (720 x 1600 pixels, all rows in view): %.2f ms\n",
                repaintMs);
    std::printf("Clear of the table: %.2f ms\n", clearMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--screenshot"))
        return screenshot(args.at(2));
    if (args.size() >= 2 && args.at(1) == QLatin1String("--bench"))
        return bench();

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *grid = new TMultiGrid(&window);
    layout->addWidget(grid);
    auto *status = new QLabel(&window);
    layout->addWidget(status);

    QDialog dialog(&window);
    auto *dialogLayout = new QVBoxLayout(&dialog);
    dialogLayout->addWidget(new QLabel(QStringLiteral("Окно ячейки-диалога"), &dialog));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    dialogLayout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    fillDemo(*grid, &dialog);
    grid->OnEditorApply = [status](TMultiGrid *, int col, int row, const QString &text) {
        status->setText(QStringLiteral("OnEditorApply %1, %2: %3").arg(col).arg(row).arg(text));
    };
    grid->OnCheck = [status](TMultiGrid *, int col, int row, bool checked) {
        status->setText(QStringLiteral("OnCheck %1, %2: %3").arg(col).arg(row).arg(checked));
    };
    grid->OnDialogClose = [status](TMultiGrid *, int col, int row, int result) {
        status->setText(QStringLiteral("OnDialogClose %1, %2: %3").arg(col).arg(row).arg(result));
    };
    window.resize(470, 300);
    window.show();
    return app.exec();
}
