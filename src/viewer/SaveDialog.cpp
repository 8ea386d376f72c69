#include "viewer/SaveDialog.h"

#include "lib/DiscPaths.h"
#include "platform/Files.h"

#include <QFileDialog>
#include <QStandardPaths>

QString AskSaveName(QWidget *owner, const QString &source, TPictureFormat format) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !platform::IsDirectory(folder))
        folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);

    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog, translated with the rest of the program, on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(folder);
    if (format == TPictureFormat::Jpeg) {
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
        dialog.setNameFilters({QStringLiteral("All (*.jpg *.jpeg)"), QStringLiteral("JPEG Image File (*.jpg)"),
                               QStringLiteral("JPEG Image File (*.jpeg)")});
    } else {
        dialog.setDefaultSuffix(QStringLiteral("gif"));
        dialog.setNameFilters({QStringLiteral("CompuServe GIF Image (*.gif)")});
    }
    dialog.selectFile(FileNamePart(source));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
