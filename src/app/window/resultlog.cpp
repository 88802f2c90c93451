#include "app/window/resultlog.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

namespace window {

// ---- the lines --------------------------------------------------------------------------

void LineStore::append(std::string_view line)
{
    const std::uint32_t id = intern(line);
    const std::size_t chunk = count_ / kIdsPerChunk;
    if (chunk == ids_.size())
        ids_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(kIdsPerChunk));
    ids_[chunk][count_ % kIdsPerChunk] = id;
    ++count_;
}

std::string_view LineStore::line(std::size_t index) const
{
    const Text& t = texts_[ids_[index / kIdsPerChunk][index % kIdsPerChunk]];
    return {t.data, t.size};
}

void LineStore::clear()
{
    ids_ = decltype(ids_)();
    count_ = 0;
    texts_ = decltype(texts_)();
    chunks_ = decltype(chunks_)();
    chunkUsed_ = kTextChunk;
    index_ = decltype(index_)();
    longest_ = 0;
}

std::string_view LineStore::longest() const
{
    if (longest_ == 0)
        return {};
    const Text& t = texts_[longest_ - 1];
    return {t.data, t.size};
}

QByteArray LineStore::joined(std::size_t first, std::size_t last) const
{
    last = std::min(last, count_);
    if (first >= last)
        return {};
    qsizetype total = static_cast<qsizetype>(last - first - 1);
    for (std::size_t i = first; i < last; ++i)
        total += static_cast<qsizetype>(line(i).size());
    QByteArray out(total, Qt::Uninitialized);
    char* p = out.data();
    for (std::size_t i = first; i < last; ++i) {
        const std::string_view s = line(i);
        if (i != first)
            *p++ = '\n';
        std::memcpy(p, s.data(), s.size());
        p += s.size();
    }
    return out;
}

std::uint32_t LineStore::intern(std::string_view line)
{
    if (line.size() > UINT32_MAX)
        line = line.substr(0, UINT32_MAX);
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(line));
    if (texts_.size() * 2 >= index_.size())
        growIndex();
    const std::size_t mask = index_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t entry = index_[slot];
        if (entry == 0) {
            const auto id = static_cast<std::uint32_t>(texts_.size());
            texts_.push_back({keep(line), static_cast<std::uint32_t>(line.size()), hash});
            index_[slot] = id + 1;
            if (longest_ == 0 || line.size() > texts_[longest_ - 1].size)
                longest_ = id + 1;
            return id;
        }
        const Text& t = texts_[entry - 1];
        if (t.hash == hash && t.size == line.size() && std::memcmp(t.data, line.data(), line.size()) == 0)
            return entry - 1;
    }
}

const char* LineStore::keep(std::string_view line)
{
    if (line.empty())
        return "";
    if (line.size() > kTextChunk / 4) {
        // A long text gets a chunk of its own, before the one being filled.
        auto own = std::make_unique_for_overwrite<char[]>(line.size());
        std::memcpy(own.get(), line.data(), line.size());
        const char* p = own.get();
        chunks_.insert(chunks_.end() - (chunks_.empty() ? 0 : 1), std::move(own));
        return p;
    }
    if (chunkUsed_ + line.size() > kTextChunk) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kTextChunk));
        chunkUsed_ = 0;
    }
    char* p = chunks_.back().get() + chunkUsed_;
    std::memcpy(p, line.data(), line.size());
    chunkUsed_ += line.size();
    return p;
}

void LineStore::growIndex()
{
    std::vector<std::uint32_t> bigger(std::max<std::size_t>(1024, index_.size() * 2), 0);
    const std::size_t mask = bigger.size() - 1;
    for (std::size_t id = 0; id < texts_.size(); ++id) {
        std::size_t slot = texts_[id].hash & mask;
        while (bigger[slot] != 0)
            slot = (slot + 1) & mask;
        bigger[slot] = static_cast<std::uint32_t>(id + 1);
    }
    index_ = std::move(bigger);
}

// ---- the clipboard's copy ---------------------------------------------------------------

namespace {

/// Lines of a log as the clipboard holds them: the text is made when it is asked for. The
/// store is shared, and a store is only appended to while shared, so the lines stay as they
/// were copied.
class CopiedLines : public QMimeData {
public:
    CopiedLines(std::shared_ptr<const LineStore> store, std::size_t first, std::size_t last)
        : store_(std::move(store)), first_(first), last_(last)
    {}

    QStringList formats() const override { return {QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& mimeType) const override { return mimeType == QLatin1String("text/plain"); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != QLatin1String("text/plain"))
            return {};
        QByteArray text = store_->joined(first_, last_);
        if (type.id() == QMetaType::QString)
            return QString::fromUtf8(text);
        return text;
    }

private:
    std::shared_ptr<const LineStore> store_;
    std::size_t first_;
    std::size_t last_;
};

constexpr int kMargin = 4;

} // namespace

// ---- the view ---------------------------------------------------------------------------

ResultLog::ResultLog(QWidget* parent) : QAbstractScrollArea(parent), store_(std::make_shared<LineStore>())
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    updateScrollBars();
}

void ResultLog::appendLine(std::string_view line) { store_->append(line); }

void ResultLog::showNewLines()
{
    const int now = static_cast<int>(std::min<std::size_t>(store_->size(), INT_MAX));
    if (now == shown_)
        return;
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    shown_ = now;
    textWidth_ = fontMetrics().horizontalAdvance(QString::fromUtf8(store_->longest()));
    updateScrollBars();
    if (atEnd)
        bar->setValue(bar->maximum());
    viewport()->update();
}

QString ResultLog::line(int index) const
{
    if (index < 0 || index >= shown_)
        return {};
    const std::string_view s = store_->line(static_cast<std::size_t>(index));
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::pair<std::size_t, std::size_t> ResultLog::selection() const
{
    if (anchor_ < 0)
        return {0, 0};
    const int lo = std::min(anchor_, cursor_);
    const int hi = std::max(anchor_, cursor_);
    return {static_cast<std::size_t>(lo), static_cast<std::size_t>(hi) + 1};
}

QString ResultLog::selectedText() const
{
    const auto [first, last] = selection();
    return QString::fromUtf8(store_->joined(first, last));
}

int ResultLog::firstVisibleLine() const { return verticalScrollBar()->value(); }

void ResultLog::clear()
{
    // A copy on the clipboard keeps the old lines; this log starts a store of its own.
    if (store_.use_count() > 1)
        store_ = std::make_shared<LineStore>();
    else
        store_->clear();
    shown_ = 0;
    anchor_ = cursor_ = -1;
    textWidth_ = 0;
    updateScrollBars();
    viewport()->update();
}

void ResultLog::selectAll()
{
    if (shown_ == 0)
        return;
    anchor_ = 0;
    cursor_ = shown_ - 1;
    viewport()->update();
}

void ResultLog::copy()
{
    if (!hasSelection())
        return;
    const auto [first, last] = selection();
    QGuiApplication::clipboard()->setMimeData(new CopiedLines(store_, first, last));
}

int ResultLog::lineHeight() const { return std::max(1, fontMetrics().lineSpacing()); }

int ResultLog::linesInSight() const { return std::max(1, (viewport()->height() - kMargin) / lineHeight()); }

int ResultLog::lineAt(int y) const
{
    const int row = (y - kMargin / 2) / lineHeight();
    return std::clamp(firstVisibleLine() + (y < kMargin / 2 ? -1 : row), 0, std::max(0, shown_ - 1));
}

void ResultLog::updateScrollBars()
{
    const int sight = linesInSight();
    QScrollBar* v = verticalScrollBar();
    v->setPageStep(sight);
    v->setRange(0, std::max(0, shown_ - sight));
    QScrollBar* h = horizontalScrollBar();
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 4));
    h->setRange(0, std::max(0, textWidth_ + 2 * kMargin - viewport()->width()));
}

void ResultLog::ensureVisible(int line)
{
    QScrollBar* v = verticalScrollBar();
    if (line < v->value())
        v->setValue(line);
    else if (line >= v->value() + linesInSight())
        v->setValue(line - linesInSight() + 1);
}

void ResultLog::moveCursorTo(int line, bool extend)
{
    if (shown_ == 0)
        return;
    cursor_ = std::clamp(line, 0, shown_ - 1);
    if (!extend || anchor_ < 0)
        anchor_ = cursor_;
    ensureVisible(cursor_);
    viewport()->update();
}

bool ResultLog::event(QEvent* e)
{
    // Copy and Select All belong to the log while it has the focus, not to a shortcut.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->matches(QKeySequence::Copy) || k->matches(QKeySequence::SelectAll)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void ResultLog::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    const int h = lineHeight();
    const int first = firstVisibleLine();
    const int last = std::min(shown_, first + linesInSight() + 1);
    const auto [selFirst, selLast] = selection();
    const int x = kMargin - horizontalScrollBar()->value();
    const int ascent = fontMetrics().ascent();
    const QPalette& pal = palette();
    for (int i = first; i < last; ++i) {
        const int top = kMargin / 2 + (i - first) * h;
        const bool selected = static_cast<std::size_t>(i) >= selFirst && static_cast<std::size_t>(i) < selLast;
        if (selected) {
            p.fillRect(QRect(0, top, viewport()->width(), h), pal.brush(QPalette::Highlight));
            p.setPen(pal.color(QPalette::HighlightedText));
        } else {
            p.setPen(pal.color(QPalette::Text));
        }
        p.drawText(x, top + ascent, line(i));
    }
}

void ResultLog::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollBars();
}

void ResultLog::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        textWidth_ = fontMetrics().horizontalAdvance(QString::fromUtf8(store_->longest()));
        updateScrollBars();
    }
}

void ResultLog::keyPressEvent(QKeyEvent* e)
{
    if (e == QKeySequence::Copy) {
        copy();
        return;
    }
    if (e == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    const bool extend = e->modifiers() & Qt::ShiftModifier;
    const int at = cursor_ < 0 ? firstVisibleLine() : cursor_;
    switch (e->key()) {
    case Qt::Key_Up: moveCursorTo(cursor_ < 0 ? at : at - 1, extend); return;
    case Qt::Key_Down: moveCursorTo(cursor_ < 0 ? at : at + 1, extend); return;
    case Qt::Key_PageUp: moveCursorTo(at - linesInSight(), extend); return;
    case Qt::Key_PageDown: moveCursorTo(at + linesInSight(), extend); return;
    case Qt::Key_Home: moveCursorTo(0, extend); return;
    case Qt::Key_End: moveCursorTo(shown_ - 1, extend); return;
    default: QAbstractScrollArea::keyPressEvent(e); return;
    }
}

void ResultLog::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || shown_ == 0) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    moveCursorTo(lineAt(e->position().toPoint().y()), e->modifiers() & Qt::ShiftModifier);
}

void ResultLog::mouseMoveEvent(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton) || anchor_ < 0)
        return;
    const int y = e->position().toPoint().y();
    // Dragging past the top or the bottom scrolls a line at a time.
    const int line = y < 0                       ? firstVisibleLine() - 1
                     : y >= viewport()->height() ? firstVisibleLine() + linesInSight()
                                                 : lineAt(y);
    moveCursorTo(line, true);
}

void ResultLog::mouseReleaseEvent(QMouseEvent* e)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (e->button() == Qt::LeftButton && hasSelection() && clipboard->supportsSelection()) {
        const auto [first, last] = selection();
        clipboard->setMimeData(new CopiedLines(store_, first, last), QClipboard::Selection);
    }
}

void ResultLog::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu menu(this);
    QAction* copyAction = menu.addAction(tr("Copy"), this, &ResultLog::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction* all = menu.addAction(tr("Select All"), this, &ResultLog::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(shown_ > 0);
    menu.exec(e->globalPos());
}

} // namespace window
