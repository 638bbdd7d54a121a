#include "ui/coverdesign/get_symbol.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "cover/objects/cover_fonts.h"
#include "cover/objects/cover_text_codec.h"
#include "ui/coverdesign/cover_dialogs.h"

namespace px {

namespace {

constexpr int kListWidth = 460;
constexpr int kListHeight = 300;

QString characterOf(int code) {
    return fromWindows1252(std::string(1, static_cast<char>(code)));
}

}  // namespace

TGetSymbol::TGetSymbol(const TCoverFont& font, int code, QWidget* parent)
    : QDialog(parent),
      font_(font),
      list_(new QListWidget(this)),
      preview_(new QLabel(this)),
      fontButton_(new QPushButton(this)) {
    setObjectName(QStringLiteral("TGetSymbol"));
    setWindowTitle(QStringLiteral("Symbol Selector"));
    list_->setObjectName(QStringLiteral("SymbolList"));
    list_->setAccessibleName(QStringLiteral("Symbols"));
    list_->setFlow(QListView::TopToBottom);
    list_->setWrapping(true);
    list_->setResizeMode(QListView::Adjust);
    list_->setUniformItemSizes(true);
    list_->setFixedSize(kListWidth, kListHeight);
    for (int c = kFirstCode; c < kFirstCode + kCodeCount; ++c) {
        list_->addItem(characterOf(c));
    }
    preview_->setObjectName(QStringLiteral("SymbolPreview"));
    preview_->setAccessibleName(QStringLiteral("Preview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumSize(96, 96);
    preview_->setFrameShape(QFrame::Box);
    fontButton_->setObjectName(QStringLiteral("FontButton"));
    connect(fontButton_, &QPushButton::clicked, this, [this] {
        TCoverDialogBoxes boxes;
        if (const auto chosen = boxes.chooseFont(this, font_, true)) {
            TCoverFont f = font_;
            f.name = chosen->name;
            f.color = chosen->color;
            f.style = chosen->style;
            setPreviewFont(f);
        }
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { showPreview(); });
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* side = new QVBoxLayout;
    side->addWidget(preview_);
    side->addWidget(fontButton_);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(cancel);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(side);

    showFont();
    list_->setCurrentRow(std::clamp(code, kFirstCode, kFirstCode + kCodeCount - 1) - kFirstCode);
}

void TGetSymbol::setPreviewFont(const TCoverFont& font) {
    font_ = font;
    showFont();
}

int TGetSymbol::code() const {
    return kFirstCode + std::max(0, list_->currentRow());
}

QString TGetSymbol::fontButtonCaption(const TCoverFont& font) {
    QString caption =
        font.name + QLatin1Char(' ') + QString::number(font.size()) + QStringLiteral("pt ");
    if (font.italic()) {
        caption += QStringLiteral("Italic ");
    } else if (font.bold()) {
        caption += QStringLiteral("Bold ");
    }
    return caption;
}

void TGetSymbol::showFont() {
    columns_ = symbolSelectorColumns(font_.size());
    QFont shown = toQFont(font_);
    list_->setFont(shown);
    for (int i = 0; i < list_->count(); ++i) {
        list_->item(i)->setText(drawnText(characterOf(kFirstCode + i), font_.name));
        list_->item(i)->setTextAlignment(Qt::AlignCenter);
    }
    const int cell = (kListWidth - 24) / columns_;
    const int height = std::max(QFontMetrics(shown).height() + 4, 16);
    list_->setGridSize(QSize(cell, height));
    fontButton_->setText(fontButtonCaption(font_));
    fontButton_->setAccessibleName(QStringLiteral("Font"));
    showPreview();
}

void TGetSymbol::showPreview() {
    QFont shown = toQFont(font_);
    shown.setPointSize(std::max(font_.size(), 24));
    preview_->setFont(shown);
    preview_->setText(drawnText(characterOf(code()), font_.name));
}

}  // namespace px
