#include "widget_helpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringDecoder>

namespace torvane::app {

QLabel* MakeHeading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Heading"));
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    label->setFont(font);
    return label;
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    if (buddy != nullptr) label->setBuddy(buddy);
    return label;
}

QHBoxLayout* ContinueRow(QPushButton* button) {
    button->setDefault(true);
    button->setMinimumWidth(button->sizeHint().width() * 3 / 2);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    return row;
}

void InvalidateLayouts(QLayout* layout) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->layout() != nullptr) InvalidateLayouts(item->layout());
        if (QWidget* widget = item->widget()) {
            if (widget->layout() != nullptr) InvalidateLayouts(widget->layout());
            widget->updateGeometry();  // (the size its layout item keeps)
        }
        item->invalidate();
    }
    layout->invalidate();
}

QString Caption(const QString& text) {
    QString caption;
    caption.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;  // "&&" stands for "&"
        caption += text[i];
    }
    return caption;
}

QString TextFromBytes(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace torvane::app
