// Velmora — the 样本 menu: which swatches the four boxes show, and the user's own swatches. The
// designed swatches stay as built until another set is chosen, so the window starts as designed.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QSettings>

#include "core/colour_word.h"
#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"
#include "ui/window/swatch_tone.h"
#include "ui/window/window_texts.h"

namespace velmora {

namespace {

const char *const kSwatchSetKey = "swatches/set";
const char *const kMySwatchesKey = "swatches/mine";

} // namespace

void MainForm::buildSwatchCommands()
{
    // What the boxes were built with: the designed set comes back from here.
    for (std::size_t i = 0; i < m_swatches.size(); ++i)
        m_designedSwatches[i] = {m_swatches[i]->image(), m_swatches[i]->toolTip()};

    QMenu *menu = new QMenu(text::Tr(text::kSwatchMenu), this);
    m_commands.swatches = menu;
    auto *sets = new QActionGroup(this);
    for (int i = 0; i < kSwatchSetCount; ++i) {
        QAction *a = menu->addAction(text::Tr(text::kSwatchSetCommands[i]));
        a->setCheckable(true);
        a->setData(i);
        sets->addAction(a);
        m_commands.swatchSets[std::size_t(i)] = a;
    }
    menu->addSeparator();
    m_commands.addMySwatch = menu->addAction(text::Tr(text::kAddMySwatchCommand));
    m_commands.clearMySwatches = menu->addAction(text::Tr(text::kClearMySwatchesCommand));

    QSettings settings;
    m_mySwatches = MySwatchesFrom(settings.value(kMySwatchesKey));
    showSwatchSet(SwatchSetFrom(settings.value(kSwatchSetKey)));
    connect(sets, &QActionGroup::triggered, this, [this](QAction *a) {
        showSwatchSet(SwatchSet(a->data().toInt()));
        QSettings().setValue(kSwatchSetKey, int(m_swatchSet));
    });
    connect(m_commands.addMySwatch, &QAction::triggered, this, &MainForm::addMySwatch);
    connect(m_commands.clearMySwatches, &QAction::triggered, this, &MainForm::clearMySwatches);
}

void MainForm::showSwatchSet(SwatchSet set)
{
    m_commands.swatchSets[std::size_t(set)]->setChecked(true);
    if (set == m_swatchSet && set != SwatchSet::Mine)
        return;
    m_swatchSet = set;
    const std::array<SwatchContent, 4> contents = SwatchesOf(set, m_mySwatches);
    for (std::size_t i = 0; i < m_swatches.size(); ++i) {
        PictureBox *box = m_swatches[i];
        // A mark or a hover left on the old picture would point at a colour no longer there.
        forgetMarks(box);
        if (m_hoverSource == box)
            m_hoverSource = nullptr;
        const SwatchContent &c = set == SwatchSet::Designed ? m_designedSwatches[i] : contents[i];
        if (c.picture.isNull()) {
            box->setVisible(false);
            box->setToolTip(QString());
            continue;
        }
        box->setPicture(c.picture); // the box takes the picture's size, as the designed ones do
        box->setToolTip(c.tip);
        // A tone set names each tone; the designed boxes are told apart by their brightness.
        box->setAccessibleName(set == SwatchSet::Designed ? SwatchAccessibleName(int(i), c.picture)
                                                          : text::Tr(text::kSpeakSwatch).arg(int(i) + 1).arg(c.tip));
        box->setAccessibleDescription(c.tip);
        box->setVisible(true);
    }
}

void MainForm::addMySwatch()
{
    if (!m_referencePick) {
        m_services.messages.show(text::TrUtf8(text::kNothingToAddToMySwatches), text::TrUtf8(text::kNoticeTitle));
        return;
    }
    m_mySwatches = WithMySwatch(m_mySwatches, PixelFromColourWord(*m_referencePick));
    QSettings().setValue(kMySwatchesKey, MySwatchesForSettings(m_mySwatches));
    if (m_swatchSet == SwatchSet::Mine)
        showSwatchSet(SwatchSet::Mine);
}

void MainForm::clearMySwatches()
{
    m_mySwatches.clear();
    QSettings().remove(kMySwatchesKey);
    if (m_swatchSet == SwatchSet::Mine)
        showSwatchSet(SwatchSet::Mine);
}

} // namespace velmora
