// Velmora — pointing at the swatches and pictures: sampling, picking, dragging.
#include <QLineEdit>

#include "core/picks.h"
#include "platform/qt/picture_box.h"
#include "ui/main_form.h"
#include "ui/window_texts.h"

namespace velmora {

void MainForm::connectPointer()
{
    for (int i = 0; i < int(m_picture2.size()); ++i) {
        connect(m_picture2[i], &PictureBox::moved, this, [this, i](QPoint p) { hoverSwatch(i, p); });
        connect(m_picture2[i], &PictureBox::clicked, this, [this] { PickReference(m_hoverColour, *this); });
    }

    connect(m_取样图片, &PictureBox::moved, this, [this](QPoint p) { hoverPicture(m_取样图片, Field::Text1, p); });
    connect(m_取样图片, &PictureBox::clicked, this, [this] { PickReference(m_hoverColour, *this); });
    connect(m_取样图片, &PictureBox::pressed, this, [this](QPoint p) { startDrag(m_取样图片, p); });
    connect(m_取样图片, &PictureBox::released, this, [this](QPoint p) { endDrag(m_取样图片, p); });

    connect(m_客体图片, &PictureBox::moved, this, [this](QPoint p) { hoverPicture(m_客体图片, Field::Text2, p); });
    connect(m_客体图片, &PictureBox::clicked, this,
            [this] { PickTarget(m_hoverColour, *this, m_services.messages, m_targetChannels); });
    connect(m_客体图片, &PictureBox::pressed, this, [this](QPoint p) { startDrag(m_客体图片, p); });
    connect(m_客体图片, &PictureBox::released, this, [this](QPoint p) { endDrag(m_客体图片, p); });
}

void MainForm::hoverSwatch(int index, QPoint p) { m_hoverColour = m_picture2[index]->point(p.x(), p.y()); }

void MainForm::hoverPicture(PictureBox *box, Field positionField, QPoint p)
{
    m_hoverColour = box->point(p.x(), p.y());
    field(positionField)->setText(text::PointerText(float(p.x()), float(p.y())));
}

void MainForm::startDrag(PictureBox *box, QPoint p)
{
    m_dragOrigin = {float(p.x()), float(p.y()), float(box->x()), float(box->y())};
}

// The picture jumps once, by the pointer's offset since the press; it is not kept inside its area.
void MainForm::endDrag(PictureBox *box, QPoint p)
{
    const float dx = float(p.x()) - m_dragOrigin.x;
    const float dy = float(p.y()) - m_dragOrigin.y;
    box->move(int(dx + m_dragOrigin.left), int(dy + m_dragOrigin.top));
}

} // namespace velmora
