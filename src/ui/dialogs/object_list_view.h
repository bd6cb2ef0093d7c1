// THQVListView: a list of every object of one kind of a hypertext (the album's
// lists, the keywords window's keywords and pages). Four columns: "Titolo"
// (the description), "Dimensione", "Nome file" and, for pages, the page
// number. Each row keeps the object's identifier. Editing a caption renames
// the object; Delete asks OnDel.
#pragma once

#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "document/hqv_set.h"

namespace ovik::ui {

class THQVListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit THQVListView(QWidget* parent = nullptr);

    // Published properties.
    THQVset* LinkedHQVset = nullptr;
    uint8_t Objects = testoHtml;
    bool RightMouseSelect = false;
    // Rows that can be checked (the album's deletions) and renamed.
    bool Checkable = false;
    bool Renamable = false;

    // Events.
    std::function<bool(const THQVoggetto&)> OnFilter;  // false refuses the row
    std::function<void()> OnReload;
    std::function<void(THQVoggetto&)> OnEditStart;
    std::function<void(THQVoggetto&)> OnEditStop;
    std::function<void()> OnDel;

    // Rebuilds the rows (sorted by caption) and fires OnReload; the selected
    // object stays selected when it is still listed.
    void Reload();
    THQVoggetto* SelectedObject() const;
    int32_t SelectedIdentifier() const;
    // Selects the row of that object and scrolls it into view; false when no
    // row holds it.
    bool SelectByIdentifier(int32_t id);
    // Appends the objects of the checked rows.
    void CheckedObjects(std::vector<THQVoggetto*>& list) const;
    static int32_t IdOf(const QTreeWidgetItem* item);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void Renamed(QTreeWidgetItem* item, int column);
    bool filling_ = false;
};

}  // namespace ovik::ui
