#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace window {

/// The lines of the "Result" log, kept compactly: a processing run logs a clocking once for
/// every day that does not take it, so millions of lines repeat a few hundred thousand
/// texts. Every distinct text is stored once; a line costs four bytes.
/// Lines are only ever appended: a line keeps its text until the store is cleared.
class LineStore {
public:
    LineStore() = default;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    void append(std::string_view line);
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    std::string_view line(std::size_t index) const;
    /// Forgets every line and gives the memory back.
    void clear();
    /// The longest text (in bytes) among the lines; empty when there are none.
    std::string_view longest() const;
    /// The lines [first, last) joined by line feeds, without one after the last.
    QByteArray joined(std::size_t first, std::size_t last) const;

private:
    struct Text {
        const char* data;
        std::uint32_t size;
        std::uint32_t hash;
    };
    static constexpr std::size_t kIdsPerChunk = std::size_t(1) << 16;
    static constexpr std::size_t kTextChunk = std::size_t(1) << 20;

    std::uint32_t intern(std::string_view line);
    const char* keep(std::string_view line);
    void growIndex();

    std::vector<std::unique_ptr<std::uint32_t[]>> ids_; ///< a text id per line, in chunks
    std::size_t count_ = 0;
    std::vector<Text> texts_;
    std::vector<std::unique_ptr<char[]>> chunks_; ///< the texts' bytes; a text never moves
    std::size_t chunkUsed_ = kTextChunk;          ///< bytes used of the last chunk
    std::vector<std::uint32_t> index_;            ///< open addressing: text id + 1, 0 free
    std::uint32_t longest_ = 0;                   ///< text id + 1 of the longest text
};

/// The "Result" page's log: read-only lines in one font, selectable by the mouse and the
/// keyboard, copied with Ctrl+C or the context menu ("Copy", "Select All"). It draws only
/// the lines in sight, so a log of millions of lines costs no more to show than a short
/// one. Lines appended reach the view when showNewLines is called.
class ResultLog : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ResultLog(QWidget* parent = nullptr);

    /// Keeps a line; it is shown from the next showNewLines.
    void appendLine(std::string_view line);
    /// Shows the lines appended since the last call; the view follows the end of the log
    /// while it stands there.
    void showNewLines();

    /// The lines the view shows.
    int lineCount() const { return shown_; }
    QString line(int index) const;
    bool hasSelection() const { return anchor_ >= 0; }
    /// The selected lines joined by line feeds; empty without a selection.
    QString selectedText() const;
    /// The first line in sight.
    int firstVisibleLine() const;

public slots:
    void clear();
    void selectAll();
    /// Puts the selected lines on the clipboard. The text is made when it is pasted, so a
    /// copy of millions of lines costs nothing until then.
    void copy();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    int lineHeight() const;
    int linesInSight() const;
    int lineAt(int y) const;
    void updateScrollBars();
    void moveCursorTo(int line, bool extend);
    void ensureVisible(int line);
    std::pair<std::size_t, std::size_t> selection() const;

    std::shared_ptr<LineStore> store_; ///< shared with the clipboard's copies
    int shown_ = 0;
    int anchor_ = -1; ///< the selection runs from anchor_ to cursor_, both included
    int cursor_ = -1;
    int textWidth_ = 0; ///< of the longest line shown, in pixels
};

} // namespace window
