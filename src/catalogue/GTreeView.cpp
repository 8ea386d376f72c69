#include "catalogue/GTreeView.h"

#include <QAccessible>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// Pixels of exactly the key colour become transparent, so the background shows through them
// (icon pixels of that colour included). Partly covered pixels, such as the soft edges of text
// painted over transparency, keep their own alpha and blend cleanly over the background.
void KeyOut(QImage &layer, QColor key) {
    const QRgb keyPixel = key.rgb() | 0xff000000u;
    for (int y = 0; y < layer.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x)
            if (row[x] == keyPixel)
                row[x] = 0;
    }
}

bool HasNextSibling(const QTreeWidgetItem *node) {
    if (const QTreeWidgetItem *parent = node->parent())
        return parent->indexOfChild(const_cast<QTreeWidgetItem *>(node)) < parent->childCount() - 1;
    const QTreeWidget *tree = node->treeWidget();
    return tree && tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(node)) < tree->topLevelItemCount() - 1;
}

// One-pixel dots on even coordinates, so the dots of neighbouring rows line up.
void DottedVLine(QPainter *p, int x, int y0, int y1, QColor color) {
    for (int y = y0; y <= y1; ++y)
        if (((x + y) & 1) == 0)
            p->fillRect(x, y, 1, 1, color);
}

void DottedHLine(QPainter *p, int x0, int x1, int y, QColor color) {
    for (int x = x0; x <= x1; ++x)
        if (((x + y) & 1) == 0)
            p->fillRect(x, y, 1, 1, color);
}

} // namespace

TGTreeView::TGTreeView(QWidget *parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    // The one column is always exactly as wide as the viewport: a long caption is cut at the
    // right edge instead of making the rows scroll sideways.
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setUniformRowHeights(true);
    setAnimated(false);
    setIconSize(QSize(16, 16));
    // A double click activates the item in the owner; it must not also toggle the node.
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    FColor = palette().color(QPalette::Base);

    connect(this, &QTreeWidget::currentItemChanged, this, &TGTreeView::CurrentChanged);
    connect(this, &QTreeWidget::itemExpanded, this, &TGTreeView::UpdateScrollBars);
    connect(this, &QTreeWidget::itemCollapsed, this, &TGTreeView::UpdateScrollBars);
    // The tree's accessible object hears of expansions through our own signal, and is made
    // first: one made while Qt's signal is on its way would miss that very expansion.
    const auto expansion = [this](QTreeWidgetItem *node) {
        if (QAccessible::isActive())
            QAccessible::queryAccessibleInterface(this);
        Q_EMIT NodeExpansionChanged(node);
    };
    connect(this, &QTreeWidget::itemExpanded, this, expansion);
    connect(this, &QTreeWidget::itemCollapsed, this, expansion);
    ApplyScrollBarPolicy();
}

TGTreeView::~TGTreeView() = default;

void TGTreeView::SetBackground(const QPixmap &picture) {
    FBackPicture = picture.copy();
    BackgroundChanged();
}

void TGTreeView::SetColor(const QColor &color) {
    FColor = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
    viewport()->update();
}

void TGTreeView::SetShowLines(bool value) {
    FShowLines = value;
    viewport()->update();
}

void TGTreeView::SetShowButtons(bool value) {
    FShowButtons = value;
    viewport()->update();
}

void TGTreeView::BackgroundChanged() { viewport()->update(); }

void TGTreeView::RepaintWhole() { viewport()->update(); }

bool TGTreeView::HasVertRange() const {
    const QScrollBar *bar = verticalScrollBar();
    return bar->minimum() != bar->maximum();
}

void TGTreeView::ApplyScrollBarPolicy() {
    if (horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Shown by the scroll area exactly while the content is taller than the view.
    const Qt::ScrollBarPolicy vertical = FVertBarHidden ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    if (verticalScrollBarPolicy() != vertical)
        setVerticalScrollBarPolicy(vertical);
}

void TGTreeView::UpdateScrollBars() {
    ApplyScrollBarPolicy();
    RepaintWhole();
}

void TGTreeView::CurrentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous) {
    // While a fill runs (updates off) nodes come and go; no node is opened or closed then.
    if (FSingleExpand && updatesEnabled() && current) {
        bool leftAncestor = false;
        for (QTreeWidgetItem *p = current->parent(); p && previous; p = p->parent())
            if (p == previous) {
                leftAncestor = true;
                break;
            }
        if (previous && !leftAncestor && previous->treeWidget() == this && previous->isExpanded())
            previous->setExpanded(false);
        if (current->childCount() > 0 && !current->isExpanded())
            current->setExpanded(true);
    }
    if (!FChangeMuted)
        Q_EMIT OnChange(current);
}

// The tree view's own reports to assistive tools number the nodes as if the hidden header were
// the first child; ours leave it out, so the reports are made here with our numbering.
void TGTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QAbstractItemView::currentChanged(current, previous);
    if (hasFocus())
        Q_EMIT NodeFocused(itemFromIndex(current));
}

void TGTreeView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) {
    QAbstractItemView::selectionChanged(selected, deselected);
}

void TGTreeView::focusInEvent(QFocusEvent *event) {
    QTreeWidget::focusInEvent(event);
    // After the window's own report of the focus change, which names only the tree.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus())
                Q_EMIT NodeFocused(currentItem());
        },
        Qt::QueuedConnection);
}

void TGTreeView::paintEvent(QPaintEvent *event) {
    if (FScrollBarsPending) {
        FScrollBarsPending = false;
        // Setting the bars up lays the viewport out again, which must not happen inside its own
        // paint: it is done right after.
        QMetaObject::invokeMethod(this, [this] { UpdateScrollBars(); }, Qt::QueuedConnection);
    }
    if (FBackPicture.isNull()) {
        QTreeWidget::paintEvent(event);
        return;
    }
    QWidget *vp = viewport();
    if (vp->width() <= 0 || vp->height() <= 0)
        return;
    executeDelayedItemsLayout();

    // The nodes go onto a transparent layer first: text edges then blend with whatever lies
    // below them instead of with the key colour, which would leave a fringe of it.
    const qreal dpr = vp->devicePixelRatioF();
    QImage layer(vp->size() * dpr, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        drawTree(&p, event->region());
    }
    KeyOut(layer, FColor);

    // Outside a smaller picture the control's own colour shows, as in its plain painting.
    QPainter p(vp);
    p.fillRect(event->rect(), FColor);
    p.drawPixmap(0, 0, FBackPicture);
    p.drawImage(0, 0, layer);
}

void TGTreeView::keyPressEvent(QKeyEvent *event) {
    QTreeWidget::keyPressEvent(event);
    if (!FBackPicture.isNull())
        RepaintWhole();
}

void TGTreeView::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    const QPersistentModelIndex pressed = indexAt(at);
    const QPersistentModelIndex before = currentIndex();
    QTreeWidget::mousePressEvent(event);
    // Leaving a node closes its branch, which can move the node pressed up from under the
    // pointer before the view selects the row there (then none): the node pressed is the one.
    if (pressed.isValid() && indexAt(at) != pressed)
        setCurrentIndex(pressed);
    // A press makes a node current before it selects it, so the owner heard of the change while
    // the old node was still the selected one: it hears again now that the two agree.
    if (currentIndex() != before && !FChangeMuted)
        Q_EMIT OnChange(currentItem());
}

void TGTreeView::scrollContentsBy(int dx, int dy) {
    QTreeWidget::scrollContentsBy(dx, dy);
    // Scrolling copies the drawn pixels, background included: draw the whole view again.
    if (!FBackPicture.isNull())
        RepaintWhole();
}

void TGTreeView::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const {
    const int indent = indentation();
    QTreeWidgetItem *node = itemFromIndex(index);
    if (indent <= 0 || rect.width() < indent || !node || (!FShowLines && !FShowButtons))
        return;
    const QColor lineColor(128, 128, 128);
    const QColor signColor = palette().color(QPalette::Text);
    const int top = rect.top();
    const int bottom = rect.bottom();
    const int midY = top + rect.height() / 2;

    // The rightmost column belongs to the node itself, each one left of it to an ancestor.
    int x = rect.right() + 1 - indent;
    const int midX = x + indent / 2;
    if (FShowLines) {
        const bool firstRoot = !node->parent() && indexOfTopLevelItem(node) == 0;
        DottedVLine(painter, midX, firstRoot ? midY : top, HasNextSibling(node) ? bottom : midY, lineColor);
        DottedHLine(painter, midX, x + indent - 1, midY, lineColor);
    }
    if (FShowButtons && node->childCount() > 0) {
        const QRect box(midX - 4, midY - 4, 9, 9);
        painter->fillRect(box, FColor);
        painter->fillRect(box.left(), box.top(), box.width(), 1, lineColor);
        painter->fillRect(box.left(), box.bottom(), box.width(), 1, lineColor);
        painter->fillRect(box.left(), box.top(), 1, box.height(), lineColor);
        painter->fillRect(box.right(), box.top(), 1, box.height(), lineColor);
        painter->fillRect(midX - 2, midY, 5, 1, signColor);
        if (!node->isExpanded())
            painter->fillRect(midX, midY - 2, 1, 5, signColor);
    }
    if (!FShowLines)
        return;
    for (QTreeWidgetItem *a = node->parent(); a && (x -= indent) >= rect.left(); a = a->parent())
        if (HasNextSibling(a))
            DottedVLine(painter, x + indent / 2, top, bottom, lineColor);
}
