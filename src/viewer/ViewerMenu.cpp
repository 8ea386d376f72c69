#include "viewer/ViewerMenu.h"

namespace {

QAction *Add(QMenu *menu, const char *name, const QString &caption, bool checkable = false) {
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}

} // namespace

TViewerMenu::TViewerMenu(QWidget *parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupMenu"));
    miAjustar = Add(this, "miAjustar", QStringLiteral("Ajustar a pantalla"), true);
    connect(miAjustar, &QAction::triggered, this, &TViewerMenu::FitChosen);

    FAutoMenu = addMenu(QStringLiteral("Modo Automático"));
    miAuto = FAutoMenu->menuAction();
    miAuto->setObjectName(QStringLiteral("miAuto"));
    miAuto->setCheckable(true);
    miAutoOff = Add(FAutoMenu, "miAutoOff", QStringLiteral("Parar"));
    connect(miAutoOff, &QAction::triggered, this, [this] {
        for (QAction *item : {miAuto2S, miAuto5S, miAuto20S, miAuto1M})
            item->setChecked(false);
        Q_EMIT SlideIntervalChosen(0);
    });
    FAutoMenu->addSeparator()->setObjectName(QStringLiteral("N3"));
    miAuto2S = Add(FAutoMenu, "miAuto2S", QStringLiteral("2 segundos"), true);
    miAuto5S = Add(FAutoMenu, "miAuto5S", QStringLiteral("5 segundos"), true);
    miAuto20S = Add(FAutoMenu, "miAuto20S", QStringLiteral("20 segundos"), true);
    miAuto1M = Add(FAutoMenu, "miAuto1M", QStringLiteral("1 minuto"), true);
    for (QAction *item : {miAuto2S, miAuto5S, miAuto20S, miAuto1M})
        connect(item, &QAction::triggered, this, [this, item] { miAutoClick(item); });

    addSeparator()->setObjectName(QStringLiteral("N1"));
    miMusica = Add(this, "miMusica", QStringLiteral("Música"), true);
    miMusica->setEnabled(false);
    connect(miMusica, &QAction::triggered, this, &TViewerMenu::MusicToggled);
    miTema = Add(this, "miTema", QStringLiteral("Nuevo tema"));
    miTema->setEnabled(false);
    connect(miTema, &QAction::triggered, this, &TViewerMenu::NewTrackChosen);
    addSeparator()->setObjectName(QStringLiteral("N2"));
    miGuardar = Add(this, "miGuardar", QStringLiteral("Guardar imagen ..."));
    connect(miGuardar, &QAction::triggered, this, &TViewerMenu::SaveChosen);
    connect(this, &QMenu::aboutToShow, this, &TViewerMenu::AboutToOpen);
}

void TViewerMenu::ShowState(const TState &state) {
    miAjustar->setEnabled(state.CanFit);
    miAjustar->setChecked(state.Fitted);
    miAuto->setChecked(state.SlideShowOn);
    miAutoOff->setEnabled(state.SlideShowOn);
    miMusica->setEnabled(state.MusicAvailable);
    miMusica->setText(QStringLiteral("Música"));
    miTema->setEnabled(miMusica->isChecked() && state.SeveralTracks);
    if (miMusica->isEnabled() && miMusica->isChecked())
        miMusica->setText(QStringLiteral("Música (%1)").arg(state.Track));
    FAutoMenu->setTitle(state.AutoCaption);
}

// The intervals behave as radio items: the one chosen is checked, the others not.
void TViewerMenu::miAutoClick(QAction *sender) {
    const struct {
        QAction *Item;
        int Seconds;
    } choices[] = {{miAuto2S, 2}, {miAuto5S, 5}, {miAuto20S, 20}, {miAuto1M, 60}};
    int seconds = 0;
    for (const auto &c : choices) {
        c.Item->setChecked(c.Item == sender);
        if (c.Item == sender)
            seconds = c.Seconds;
    }
    Q_EMIT SlideIntervalChosen(seconds);
}
