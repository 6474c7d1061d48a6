#include "QtOperator.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
// A longer list goes into the box's details, which scroll, so that the box
// never grows past the screen.
constexpr int kPointsShown = 15;

QFileDialog::Options DialogOptions() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return {};
#else
    // The GTK and portal dialogs match "*.ini" case-sensitively and would hide
    // every TestFile01.INI; Qt's own dialog matches it as Windows does.
    return QFileDialog::DontUseNativeDialog;
#endif
}
}  // namespace

void QtOperator::ShowMessage(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_parent.data());
    box.setTextFormat(Qt::PlainText);  // texts from files and loads are not markup
    box.exec();
}

int QtOperator::AskChoice(const QString& text, const QStringList& points,
                          const QStringList& choices) {
    if (choices.isEmpty()) {
        return -1;
    }
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::NoButton, m_parent.data());
    box.setTextFormat(Qt::PlainText);
    if (points.size() > kPointsShown) {
        box.setInformativeText(
            points.mid(0, kPointsShown).join(QLatin1Char('\n')) +
            QStringLiteral("\n... %1 more in the details").arg(points.size() - kPointsShown));
        box.setDetailedText(points.join(QLatin1Char('\n')));
    } else {
        box.setInformativeText(points.join(QLatin1Char('\n')));
    }
    QVector<QPushButton*> buttons;
    for (int i = 0; i < choices.size(); ++i) {
        const bool cautious = i == choices.size() - 1;
        buttons << box.addButton(choices[i],
                                 cautious ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    }
    box.setDefaultButton(buttons.last());
    box.setEscapeButton(buttons.last());
    box.exec();
    const int chosen = buttons.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return chosen >= 0 ? chosen : static_cast<int>(buttons.size()) - 1;
}

QString QtOperator::AskOpenFile(const QString& filter, const QString& preset) {
    const QString path = QFileDialog::getOpenFileName(m_parent.data(), QString(), preset, filter,
                                                      nullptr, DialogOptions());
    return path.isEmpty() ? path : QDir::toNativeSeparators(path);
}

QString QtOperator::AskSaveFile(const QString& filter, const QString& preset) {
    const QString path = QFileDialog::getSaveFileName(m_parent.data(), QString(), preset, filter,
                                                      nullptr, DialogOptions());
    return path.isEmpty() ? path : QDir::toNativeSeparators(path);
}
