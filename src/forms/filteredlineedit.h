#pragma once

#include <QLineEdit>

#include <functional>

namespace zentrel {

// A text field whose typed characters pass a key filter first, as the
// numeric and unit-ID fields need. Navigation, Delete and the clipboard
// shortcuts still work; pasted or dropped text keeps only the characters the
// filter would have let through, cut to the field's length.
class FilteredLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    // Answers whether the character with this code may be typed.
    using KeyFilter = std::function<bool(char16_t code)>;

    explicit FilteredLineEdit(QWidget *parent = nullptr);

    void setKeyFilter(KeyFilter filter) { m_filter = std::move(filter); }
    bool admits(char16_t code) const { return !m_filter || m_filter(code); }

    // Inserts the clipboard's text less what the filter would refuse.
    void pasteFiltered();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString admittedPart(const QString &text) const;
    void keepAdmitted();

    KeyFilter m_filter;
};

} // namespace zentrel
