// The picture property window ("Proprietà immagine"): the picture object a
// placed picture shows, its size in pixels and in percent of the picture's
// own, border, alignment, alternative text and the pictures shown first and
// on rollover, with the hint it makes, and the list of its click zones, each
// with its link (chosen in the link window) and the text a browser shows for
// it. A change of a placed picture is one undo entry of the engine; with no
// placed picture the window makes a new placement.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "document/hqv_set.h"
#include "page/placed_picture.h"
#include "ui/dialogs/dialog_support.h"

namespace ovik::ui {

class TFPropImmagine : public TFDialog {
    Q_OBJECT
public:
    TFPropImmagine(THQVset& set, platform::SettingsStore& store, QWidget* parent = nullptr);

    // Shows the fields of `image` (its zones included); with none, those of a
    // new placement. `picture` >= 0 chooses that picture object instead of
    // the one shown (a picture just made from the clipboard).
    void Load(TMyyImage* image, int32_t picture = -1);
    PlacedPictureFields Values() const;
    // The zone links chosen in the window: (zone, identifier of the target).
    const std::vector<std::pair<int32_t, int32_t>>& ZoneTargets() const { return zoneTargets_; }
    // Ok on a placed picture: its change with one undo entry (false when
    // nothing changed or it cannot change).
    bool Apply(TMyyImage& image);
    // Ok without one: a new placement with the window's fields (not registered).
    std::unique_ptr<THQVoggetto> MakePlacement();

    // The link window for zone `zone`: the identifier of the target chosen,
    // or -2 when the window was cancelled. Tests replace it.
    std::function<int32_t(int32_t zone)> chooseZoneLink;
    // The picture file to add ("&Da file..."); empty: none. Tests replace it.
    std::function<QString()> askPictureFile;

    QComboBox *picture, *lowRes, *rollover, *alignment;
    QPushButton *fromFile, *linkZone;
    QSpinBox *width, *height, *percent;
    QCheckBox *inPercent, *border;
    QLineEdit* alt;
    QLabel *natural, *hint;
    QTreeWidget* zones;

private:
    void FillPictures();
    // The natural size of the picture chosen (0 x 0 without one).
    std::pair<int, int> NaturalSize() const;
    void PictureChosen();
    void PercentChanged();
    void SizeChanged();
    void AddFromFile();
    void LinkChosenZone();
    QString ZoneLinkText(int32_t id) const;

    THQVset& set_;
    TMyyImage* image_ = nullptr;
    std::vector<std::pair<int32_t, int32_t>> zoneTargets_;
    bool filling_ = false;
};

}  // namespace ovik::ui
