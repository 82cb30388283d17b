// Velmora — pointing at the swatches and pictures: sampling, picking, dragging.
#include <variant>

#include <cmath>

#include <QApplication>
#include <QLineEdit>

#include "core/picks.h"
#include "ui/widgets/picture_box.h"
#include "ui/window/main_form.h"
#include "ui/window/window_texts.h"

namespace velmora {

void MainForm::connectPointer()
{
    for (int i = 0; i < int(m_swatches.size()); ++i) {
        connect(m_swatches[i], &PictureBox::moved, this, [this, i](QPoint p) { hoverSwatch(i, p); });
        connect(m_swatches[i], &PictureBox::clicked, this, [this, i] { pickReference(m_swatches[i]); });
    }

    PictureBox *reference = m_referencePicture;
    connect(reference, &PictureBox::moved, this,
            [this, reference](QPoint p) { hoverPicture(reference, Field::ReferencePointer, p); });
    connect(reference, &PictureBox::clicked, this, [this, reference] {
        if (!m_panned)
            pickReference(reference);
    });
    connect(reference, &PictureBox::pressed, this, [this, reference](QPoint p) { startDrag(reference, p); });
    connect(reference, &PictureBox::released, this, [this, reference](QPoint p) { endDrag(reference, p); });

    PictureBox *target = m_targetPicture;
    connect(target, &PictureBox::moved, this,
            [this, target](QPoint p) { hoverPicture(target, Field::TargetStatus, p); });
    connect(target, &PictureBox::clicked, this, [this] {
        if (!m_panned)
            pickTarget();
    });
    connect(target, &PictureBox::pressed, this, [this, target](QPoint p) { startDrag(target, p); });
    connect(target, &PictureBox::released, this, [this, target](QPoint p) { endDrag(target, p); });
}

void MainForm::hoverSwatch(int index, QPoint p) { m_hoverColour = sample(m_swatches[index], p); }

void MainForm::hoverPicture(PictureBox *box, Field positionField, QPoint p)
{
    m_hoverColour = sample(box, p);
    field(positionField)->setText(text::PointerText(float(p.x()), float(p.y())));
}

void MainForm::pickReference(PictureBox *source)
{
    PickReference(m_hoverColour, m_panel);
    if (m_hoverColour >= 0)
        m_referencePick = m_hoverColour;
    markReferencePick(source);
}

void MainForm::pickTarget()
{
    const std::variant<Channels, Refusal> pick = PickTarget(m_hoverColour, m_panel);
    if (const Refusal *refusal = std::get_if<Refusal>(&pick))
        return showRefusal(*refusal);
    m_photo.setTargetChannels(std::get<Channels>(pick));
    markTargetPick();
}

// Drags count in view pixels, so at any zoom the picture moves by what the pointer moved.
void MainForm::startDrag(PictureBox *box, QPoint)
{
    const QPoint p = box->lastViewPosition();
    m_dragOrigin = {float(p.x()), float(p.y()), float(box->x()), float(box->y())};
    m_panned = false;
}

// The picture jumps once, by the pointer's offset since the press; it is not kept inside its area.
// A release farther than the desktop's drag distance from its press was a pan, not a pick: the
// click that follows it is let go.
void MainForm::endDrag(PictureBox *box, QPoint)
{
    const QPoint p = box->lastViewPosition();
    const float dx = float(p.x()) - m_dragOrigin.x;
    const float dy = float(p.y()) - m_dragOrigin.y;
    m_panned = std::abs(dx) + std::abs(dy) > float(QApplication::startDragDistance());
    box->move(int(dx + m_dragOrigin.left), int(dy + m_dragOrigin.top));
}

} // namespace velmora
