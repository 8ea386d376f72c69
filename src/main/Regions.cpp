#include "main/Regions.h"

#include "catalogue/GTemas.h"
#include "main/MainFrm.h"

namespace {

// Columns: id, press, click first, hint, name for screen readers, repeats while held, drags.
// Salir's press plays the click itself and waits for it, so that the closing window does not cut
// it off; Ejecutar plays none.
const TRegionRole kRoles[] = {
    {QStringLiteral("SALIR"), &TMainFrm::Exit, false, QStringLiteral("Salir"), QStringLiteral("Salir"), false, false},
    {QStringLiteral("MINIMIZAR"), &TMainFrm::MinimizeApplication, true, QStringLiteral("Minimizar"),
     QStringLiteral("Minimizar"), false, false},
    {QStringLiteral("CREDITOS"), &TMainFrm::ShowCredits, true, {}, QStringLiteral("Créditos"), false, false},
    {QStringLiteral("EJECUTAR"), &TMainFrm::ActivateCurrentItem, false, {}, QStringLiteral("Abrir"), false, false},
    {QStringLiteral("LUP"), &TMainFrm::LineUp, true, {}, QStringLiteral("Subir"), true, false},
    {QStringLiteral("LDOWN"), &TMainFrm::LineDown, true, {}, QStringLiteral("Bajar"), true, false},
    {QStringLiteral("MOVER"), nullptr, true, {}, QStringLiteral("Mover la ventana"), false, true},
    {QStringLiteral("MOVER2"), nullptr, true, {}, QStringLiteral("Mover la ventana"), false, true},
    {QStringLiteral("EMAIL"), &TMainFrm::MailMaker, true, {}, QStringLiteral("Correo"), false, false},
};

} // namespace

std::span<const TRegionRole> RegionRoles() { return kRoles; }

const TRegionRole *FindRegionRole(const QString &id) {
    for (const TRegionRole &role : kRoles)
        if (role.Id == id)
            return &role;
    return nullptr;
}

QString RegionIdFor(void (TMainFrm::*press)()) {
    for (const TRegionRole &role : kRoles)
        if (role.Press == press)
            return role.Id;
    return {};
}

bool IsDragRegion(const QString &id) {
    const TRegionRole *role = FindRegionRole(id);
    return role && role->Drags;
}

QString RegionHint(const QString &id) {
    const TRegionRole *role = FindRegionRole(id);
    return role ? role->Hint : QString();
}

THSRgnPresentation PresentRegion(const TTopicList &topics, const QString &id) {
    THSRgnPresentation p{id, topics.HasTopicForRegion(id)};
    if (p.Checkable)
        p.Name = topics.TopicForRegion(id);
    if (const TRegionRole *role = FindRegionRole(id))
        p.Name = role->Name;
    return p;
}
