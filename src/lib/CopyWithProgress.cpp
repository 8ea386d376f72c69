#include "lib/CopyWithProgress.h"

#include "platform/Files.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

namespace {

TCopyPrompts gPrompts;

bool AskReplace(QWidget *owner, const QString &question) {
    if (gPrompts.AskReplace)
        return gPrompts.AskReplace(owner, question);
    return QMessageBox::question(owner, QApplication::applicationDisplayName(), question,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void ShowCopyError(QWidget *owner, const QString &message) {
    if (gPrompts.ShowError) {
        gPrompts.ShowError(owner, message);
        return;
    }
    QMessageBox::critical(owner, QApplication::applicationDisplayName(), message);
}

} // namespace

void ShellCopyFile(QWidget *owner, const QString &source, const QString &target) {
    QCoreApplication::processEvents();
    const QString src = platform::ToSlashes(source);
    const QString dst = platform::ToSlashes(target);
    const QString shown = QFileInfo(dst).fileName();

    const QString sameFile = QStringLiteral("No se puede copiar «%1»: el origen y el destino son el mismo archivo.").arg(shown);
    if (platform::SameFile(src, dst)) {
        ShowCopyError(owner, sameFile);
        return;
    }
    if (platform::PathExists(dst)) {
        if (platform::IsDirectory(dst)) {
            ShowCopyError(owner, QStringLiteral("No se puede copiar «%1»: ya existe una carpeta con ese nombre.").arg(shown));
            return;
        }
        if (!AskReplace(owner, QStringLiteral("Ya existe un archivo llamado «%1».\n¿Desea reemplazarlo?").arg(shown)))
            return;
    }

    const qint64 size = platform::FileSize(src);
    QProgressDialog *dialog = nullptr;
    if (size >= kCopyProgressFrom && !gPrompts.AskReplace) {
        dialog = new QProgressDialog(QStringLiteral("Copiando «%1»…").arg(shown), QStringLiteral("Cancelar"), 0, 1000, owner);
        dialog->setWindowTitle(QApplication::applicationDisplayName());
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setMinimumDuration(300);
    }
    const auto result = platform::CopyFileAtomically(src, dst, [dialog](qint64 done, qint64 total) {
        if (!dialog)
            return true;
        dialog->setValue(total > 0 ? int(done * 1000 / total) : 1000);
        QCoreApplication::processEvents();
        return !dialog->wasCanceled();
    });
    delete dialog;

    switch (result) {
    case platform::TCopyResult::Ok:
    case platform::TCopyResult::Cancelled:
        break;
    case platform::TCopyResult::SameFile:
        ShowCopyError(owner, sameFile);
        break;
    case platform::TCopyResult::SourceUnreadable:
        ShowCopyError(owner, QStringLiteral("No se puede copiar «%1»: no se puede leer el archivo de origen.").arg(shown));
        break;
    case platform::TCopyResult::TargetUnwritable:
        ShowCopyError(owner, QStringLiteral("No se puede copiar «%1»: no se puede escribir en el destino (¿disco lleno o protegido contra escritura?).").arg(shown));
        break;
    }
}

void SetCopyPromptsForTesting(TCopyPrompts prompts) { gPrompts = std::move(prompts); }
