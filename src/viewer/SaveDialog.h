#pragma once
// Where to save a copy of the picture on show: Qt's own save dialog, in the person's pictures
// folder, offering the file types of the picture's own format.
#include "picture/Picture.h"

#include <QString>

class QWidget;

// The path chosen for a copy of Source, or empty when the person cancels.
QString AskSaveName(QWidget *owner, const QString &source, TPictureFormat format);
