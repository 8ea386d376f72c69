#pragma once
// The catalogue tree: a tree widget that lies on the skin as if it had no background of its own.
// Its nodes are drawn over a background picture with the control's colour as the see-through
// key, it never scrolls sideways, and it can hide its vertical bar while still scrolling.
#include <QColor>
#include <QPixmap>
#include <QTreeWidget>


class TGTreeView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TGTreeView(QWidget *parent = nullptr);
    ~TGTreeView() override;

    // Drawn behind the nodes at 0,0 in its natural size; the control keeps its own copy.
    const QPixmap &Background() const { return FBackPicture; }
    void SetBackground(const QPixmap &picture);

    // The control's background colour; over a background picture it is the see-through key.
    QColor Color() const { return FColor; }
    void SetColor(const QColor &color);

    // True: no vertical scroll bar, ever. Takes effect at the next UpdateScrollBars.
    bool NoScroll() const { return FVertBarHidden; }
    void SetNoScroll(bool value) { FVertBarHidden = value; }

    // Platform tree styles of the catalogue: the node being selected expands and the node left
    // collapses (unless it is an ancestor of the new one); dotted lines and +/- buttons.
    bool SingleExpand() const { return FSingleExpand; }
    void SetSingleExpand(bool value) { FSingleExpand = value; }
    bool ShowLines() const { return FShowLines; }
    void SetShowLines(bool value);
    bool ShowButtons() const { return FShowButtons; }
    void SetShowButtons(bool value);

    // While muted (a fill in progress), OnChange is not raised.
    bool ChangeMuted() const { return FChangeMuted; }
    void SetChangeMuted(bool muted) { FChangeMuted = muted; }

    // Shows the vertical bar exactly when it is allowed and the content is taller than the view,
    // and repaints the whole control.
    virtual void UpdateScrollBars();
    // The vertical scroll range is not empty.
    bool HasVertRange() const;

    // The scroll bars are set up again at the next paint (after a fill).
    void MarkScrollBarsPending() { FScrollBarsPending = true; }
    bool ScrollBarsPending() const { return FScrollBarsPending; }

Q_SIGNALS:
    // The current node changed (null: none), or a press made the node current and selected.
    void OnChange(QTreeWidgetItem *node);
    // The keyboard focus is on the node, for assistive tools: raised when the current node
    // changes while the tree has the focus, and again after the tree gains it.
    void NodeFocused(QTreeWidgetItem *node);
    // The node was expanded or collapsed.
    void NodeExpansionChanged(QTreeWidgetItem *node);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void BackgroundChanged();
    void CurrentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void ApplyScrollBarPolicy();
    void RepaintWhole();

    QPixmap FBackPicture;
    QColor FColor;
    bool FChangeMuted = false;
    bool FVertBarHidden = false;
    bool FScrollBarsPending = true;
    bool FSingleExpand = false;
    bool FShowLines = true;
    bool FShowButtons = true;
};
