#include "QtOperator.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {
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
