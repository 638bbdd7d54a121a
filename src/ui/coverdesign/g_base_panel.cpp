#include "ui/coverdesign/g_base_panel.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>

#include "cover/io/g_label_object_filer.h"
#include "cover/objects/cover_text_codec.h"
#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_symbol.h"
#include "ui/coverdesign/cover_menu_builder.h"
#include "ui/coverdesign/g_handle.h"

namespace px {

namespace {

constexpr const char* kClipboardFile = "Clipbrd.tmp";
constexpr const char* kTempFile = "TempFile.tmp";
constexpr int kOutlineCorner = 24;
// KeepObjectsOnPage leaves this much of an object on the page.
constexpr int kKeepBottom = 10;
constexpr int kKeepRight = 20;

std::vector<const TGGraphicControl*> constList(const std::vector<TGGraphicControl*>& objects) {
    return {objects.begin(), objects.end()};
}

}  // namespace

void TPanelPageModel::repaint(TGGraphicControl&) {
    panel_.invalidatePage();
}

void TPanelPageModel::requestRefitHandle() {
    panel_.scheduleRefit();
}

void TPanelPageModel::removeFromSelection(TGGraphicControl& object) {
    TCoverPageModel::removeFromSelection(object);
    panel_.handle().selectionShrank();
}

QColor TPanelPageModel::markColor() const {
    return panel_.handle().Color();
}

QColor TPanelPageModel::secondaryMarkColor() const {
    return panel_.handle().SecondaryColor();
}

TGBasePanel::TGBasePanel(const QString& programFolder, QWidget* parent)
    : QWidget(parent),
      model_(*this),
      handle_(new TGHandle(*this)),
      ownDialogs_(std::make_unique<TCoverDialogBoxes>()),
      dialogs_(ownDialogs_.get()) {
    setObjectName(QStringLiteral("CoverPage"));
    setAccessibleName(QStringLiteral("Cover page"));
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    steady_.start();
    clock_ = [this] { return steady_.elapsed(); };
    popper_ = [](QMenu& menu, QPoint at) { menu.exec(at); };
    const QDir folder(programFolder);
    clipboardPath_ = folder.filePath(QString::fromLatin1(kClipboardFile));
    tempFilePath_ = folder.filePath(QString::fromLatin1(kTempFile));
    model_.setOnLabelChanged([this] { labelChanged(); });
    connect(handle_, &TGHandle::doubleClicked, this, [this](QPoint at) {
        if (selection().size() > 1) {
            return;
        }
        for (TGGraphicControl* o : selection()) {
            if (o->boundsRect().adjusted(-2, -2, 2, 2).contains(at)) {
                popUpObjectMenu(*o, mapToGlobal(at));
                return;
            }
        }
    });
    setFixedSize(model_.pageSize());
}

TGBasePanel::~TGBasePanel() {
    // Scratch files; a failure to remove them does not matter.
    QFile::remove(clipboardPath_);
    QFile::remove(tempFilePath_);
    model_.setOnLabelChanged({});
}

void TGBasePanel::setDrawOutline(bool on) {
    drawOutline_ = on;
    invalidatePage();
}

void TGBasePanel::setShape(TLabelShapeType shape) {
    shape_ = shape;
    invalidatePage();
}

void TGBasePanel::setGridSize(TGridSize size) {
    gridSize_ = size;
    const int step = size == TGridSize::gs4x4 ? 4 : 8;
    handle_->setRememberedGrid(step);
    handle_->setGrid(step, step);
    if (!snapToGrid_) {
        handle_->setGrid(1, 1);
    }
    invalidatePage();
}

void TGBasePanel::setShowGrid(bool on) {
    showGrid_ = on;
    invalidatePage();
}

void TGBasePanel::setSnapToGrid(bool on) {
    snapToGrid_ = on;
    const int step = gridSize_ == TGridSize::gs4x4 ? 4 : 8;
    handle_->setGrid(on ? step : 1, on ? step : 1);
}

void TGBasePanel::SetZoom(float zoom) {
    if (zoom == model_.zoom()) {
        return;
    }
    model_.SetZoom(zoom);
    setFixedSize(model_.pageSize());
    if (!selection().empty()) {
        handle_->RefitHandle();
    }
    invalidatePage();
}

void TGBasePanel::DropObject(const QRect&) {}

TGGraphicControl& TGBasePanel::AddObject(std::unique_ptr<TGGraphicControl> object,
                                         const QRect& rect) {
    // The rectangle is in the page's zoomed pixels already: the object takes
    // the zoom first, so taking it onto the page does not scale the rectangle again.
    if (object->Zoom() != model_.zoom()) {
        object->SetObjectZoom(model_.zoom());
    }
    TGGraphicControl& o = model_.AddObject(std::move(object), rect);
    invalidatePage();
    return o;
}

TGGraphicControl* TGBasePanel::objectAt(QPoint pagePoint) const {
    const auto& objects = model_.objects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (!(*it)->unselectable() && (*it)->boundsRect().contains(pagePoint)) {
            return it->get();
        }
    }
    return nullptr;
}

void TGBasePanel::ObjectMouseDown(TGGraphicControl& object, QPoint pagePoint,
                                  Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    if (!pointing_ || object.unselectable()) {
        pagePress(pagePoint, button, mapToGlobal(pagePoint));
        return;
    }
    if (!modifiers.testFlag(Qt::ShiftModifier)) {
        handle_->ClearSelection();
    }
    handle_->AddToSelection(object);
    if (selection().size() == 1 && button == Qt::RightButton) {
        popUpObjectMenu(object, mapToGlobal(pagePoint));
        return;
    }
    if (button == Qt::LeftButton && handle_->isVisible()) {
        handle_->captureFrom(pagePoint - handle_->geometry().topLeft());
    }
}

void TGBasePanel::KeepObjectsOnPage() {
    const QSize page = model_.pageSize();
    for (const auto& o : model_.objects()) {
        if (o->top() > page.height() - kKeepBottom) {
            o->setTop(page.height() - kKeepBottom);
        }
        if (o->left() > page.width() - kKeepRight) {
            o->setLeft(page.width() - kKeepRight);
        }
    }
    invalidatePage();
}

void TGBasePanel::PurgeOffPageObjects() {
    handle_->ClearSelection();
    model_.PurgeOffPageObjects();
    invalidatePage();
}

void TGBasePanel::ClearObjects() {
    handle_->ClearSelection();
    model_.ClearObjects();
    invalidatePage();
}

// --- Clipboard.

std::string TGBasePanel::unzoomedStream(const std::vector<const TGGraphicControl*>& objects) const {
    const std::string atZoom = TGLabelObjectFiler::streamObjects(objects);
    const float zoom = model_.zoom();
    if (zoom == 1.0F || zoom == 0.0F) {
        return atZoom;
    }
    // The files hold positions at zoom 1.0; objects read back start there.
    TCoverPageModel scratch;
    TGLabelObjectFiler::readObjects(scratch, atZoom, 0);
    std::vector<const TGGraphicControl*> unzoomed;
    for (const auto& o : scratch.objects()) {
        o->SetObjectZoom(1.0F / zoom);
        unzoomed.push_back(o.get());
    }
    return TGLabelObjectFiler::streamObjects(unzoomed);
}

void TGBasePanel::adoptZoom(std::size_t firstNew) {
    const auto& objects = model_.objects();
    for (std::size_t i = firstNew; i < objects.size(); ++i) {
        if (objects[i]->Zoom() != model_.zoom()) {
            objects[i]->SetObjectZoom(model_.zoom());
        }
    }
}

void TGBasePanel::writeClipboard(const std::vector<const TGGraphicControl*>& objects) {
    if (objects.empty()) {
        return;
    }
    const std::string bytes = unzoomedStream(objects);
    QSaveFile f(clipboardPath_);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        f.commit();
    }
}

void TGBasePanel::paste() {
    const qint64 t = now();
    if (lastPaste_ && t - *lastPaste_ < kPasteGuardMs) {
        return;
    }
    lastPaste_ = t;
    const std::size_t before = model_.count();
    TGLabelObjectFiler::PasteObjects(model_, clipboardPath_);
    if (model_.count() == before) {
        return;
    }
    adoptZoom(before);
    labelChanged();
    invalidatePage();
}

void TGBasePanel::deleteSelection() {
    const std::vector<TGGraphicControl*> doomed = selection();
    handle_->ClearSelection();
    for (TGGraphicControl* o : doomed) {
        try {
            model_.remove(*o);
        } catch (...) {
            // One object failing to go does not stop the others.
        }
    }
    if (!doomed.empty()) {
        labelChanged();
    }
    invalidatePage();
}

void TGBasePanel::ClipboardOperation(TClipboardOp op) {
    switch (op) {
        case TClipboardOp::Copy:
            writeClipboard(constList(selection()));
            break;
        case TClipboardOp::Cut:
            writeClipboard(constList(selection()));
            deleteSelection();
            break;
        case TClipboardOp::Delete:
            deleteSelection();
            break;
        case TClipboardOp::Paste:
            paste();
            break;
    }
}

// --- Page menu operations.

void TGBasePanel::BringSelectionToFront() {
    if (handle_->Locked()) {
        return;
    }
    for (TGGraphicControl* o : selection()) {
        o->NotifyChanged();
        model_.BringToFront(*o);
    }
    handle_->raise();
    invalidatePage();
}

void TGBasePanel::SendSelectionToBack() {
    if (handle_->Locked()) {
        return;
    }
    for (TGGraphicControl* o : selection()) {
        o->NotifyChanged();
        model_.SendToBack(*o);
    }
    handle_->raise();
    invalidatePage();
}

void TGBasePanel::alignSelection(TAlignEdge edge) {
    if (selection().empty()) {
        return;
    }
    selection().front()->NotifyChanged();
    const bool horizontal = edge == TAlignEdge::Left || edge == TAlignEdge::Right;
    const bool nearSide = edge == TAlignEdge::Left || edge == TAlignEdge::Top;
    // The near edges start from the page's far side, the far edges from 0.
    int line = nearSide ? (horizontal ? model_.pageSize().width() : model_.pageSize().height()) : 0;
    for (const TGGraphicControl* o : selection()) {
        const int start = horizontal ? o->left() : o->top();
        const int extent = horizontal ? o->width() : o->height();
        line = nearSide ? std::min(line, start) : std::max(line, start + extent);
    }
    for (TGGraphicControl* o : selection()) {
        const int extent = horizontal ? o->width() : o->height();
        const int start = nearSide ? line : line - extent;
        if (horizontal) {
            o->setLeft(start);
        } else {
            o->setTop(start);
        }
    }
    invalidatePage();
}

void TGBasePanel::CenterSelectionVertically() {
    for (TGGraphicControl* o : selection()) {
        o->CenterVertically();
    }
    invalidatePage();
}

void TGBasePanel::CenterSelectionHorizontally() {
    for (TGGraphicControl* o : selection()) {
        o->CenterHorizontally();
    }
    invalidatePage();
}

void TGBasePanel::LockAll(bool locked) {
    for (const auto& o : model_.objects()) {
        if (o->locked() != locked) {
            o->setLocked(locked);
        }
    }
    if (!selection().empty()) {
        handle_->RefitHandle();
    }
    invalidatePage();
}

void TGBasePanel::MarkAllSelectable(bool selectable) {
    for (const auto& o : model_.objects()) {
        o->setUnselectable(!selectable);
    }
    invalidatePage();
}

void TGBasePanel::SelectAll() {
    handle_->ClearSelection();
    for (const auto& o : model_.objects()) {
        handle_->AddToSelection(*o);
    }
}

void TGBasePanel::FontForSelection() {
    if (selection().empty()) {
        return;
    }
    const std::optional<TCoverFont> font = dialogs_->chooseFont(this, pageFont_, true);
    if (!font) {
        return;
    }
    for (TGGraphicControl* o : selection()) {
        o->ApplyFont(*font);
    }
    invalidatePage();
}

// --- Object menu operations.

void TGBasePanel::BringToFront(TGGraphicControl& object) {
    if (handle_->Locked()) {
        return;
    }
    object.NotifyChanged();
    model_.BringToFront(object);
    invalidatePage();
}

void TGBasePanel::SendToBack(TGGraphicControl& object) {
    if (handle_->Locked()) {
        return;
    }
    object.NotifyChanged();
    model_.SendToBack(object);
    handle_->ClearSelection();
    invalidatePage();
}

void TGBasePanel::CopyObject(TGGraphicControl& object) {
    if (model_.isSelected(object)) {
        ClipboardOperation(TClipboardOp::Copy);
        return;
    }
    writeClipboard({&object});
}

void TGBasePanel::CutObject(TGGraphicControl& object) {
    if (model_.isSelected(object)) {
        ClipboardOperation(TClipboardOp::Cut);
        return;
    }
    writeClipboard({&object});
    DeleteObject(object);
}

void TGBasePanel::DeleteObject(TGGraphicControl& object) {
    if (model_.isSelected(object)) {
        ClipboardOperation(TClipboardOp::Delete);
        return;
    }
    object.NotifyChanged();
    model_.remove(object);
    invalidatePage();
}

TGGraphicControl* TGBasePanel::CloneObject(TGGraphicControl& source) {
    const bool wasSelected = model_.isSelected(source);
    const std::size_t before = model_.count();
    const TCoverLoadResult read =
        TGLabelObjectFiler::readObjects(model_, unzoomedStream({&source}), 0);
    if (read.objectsRead != 1 || model_.count() != before + 1) {
        return nullptr;
    }
    adoptZoom(before);
    TGGraphicControl* clone = model_.objects().back().get();
    clone->setTop(source.top() + TGLabelObjectFiler::kCloneOffset);
    model_.BringToFront(*clone);
    if (wasSelected) {
        handle_->RemoveFromSelection(source);
        handle_->AddToSelection(*clone);
    }
    clone->NotifyChanged();
    invalidatePage();
    return clone;
}

void TGBasePanel::EditFont(TFaxCoverBaseLabel& object) {
    if (const std::optional<TCoverFont> font = dialogs_->chooseFont(this, object.font(), false)) {
        object.FontEdited(*font);
        invalidatePage();
    }
}

void TGBasePanel::EditText(TFaxCoverLabel& object) {
    if (const std::optional<QString> text = dialogs_->editText(this, object.caption())) {
        object.TextEdited(*text);
        invalidatePage();
    }
}

void TGBasePanel::SelectSymbol(TFaxCoverSymbol& object) {
    const QString caption = object.caption();
    const int code = caption.isEmpty() ? 32 : windows1252Code(caption.front());
    if (const std::optional<TChosenSymbol> chosen =
            dialogs_->chooseSymbol(this, object.font(), std::max(32, code))) {
        object.SymbolChosen(chosen->font, chosen->code);
        invalidatePage();
    }
}

void TGBasePanel::objectMenuAction(TGGraphicControl& object, const TCoverMenuItem& item) {
    switch (item.action) {
        case TCoverMenuAction::BringToFront:
            BringToFront(object);
            return;
        case TCoverMenuAction::SendToBack:
            SendToBack(object);
            return;
        case TCoverMenuAction::Cut:
            CutObject(object);
            return;
        case TCoverMenuAction::Copy:
            CopyObject(object);
            return;
        case TCoverMenuAction::Delete:
            DeleteObject(object);
            return;
        case TCoverMenuAction::Clone:
            CloneObject(object);
            return;
        case TCoverMenuAction::Font:
            if (auto* label = dynamic_cast<TFaxCoverBaseLabel*>(&object)) {
                EditFont(*label);
            }
            return;
        case TCoverMenuAction::Text:
            if (auto* label = dynamic_cast<TFaxCoverLabel*>(&object)) {
                EditText(*label);
            }
            return;
        case TCoverMenuAction::SymbolSelector:
            if (auto* symbol = dynamic_cast<TFaxCoverSymbol*>(&object)) {
                SelectSymbol(*symbol);
            }
            return;
        case TCoverMenuAction::None:
        case TCoverMenuAction::Locked:
        case TCoverMenuAction::Unselectable:
        case TCoverMenuAction::CenterVertically:
        case TCoverMenuAction::CenterHorizontally:
        case TCoverMenuAction::FieldType:
        case TCoverMenuAction::LineThickness:
        case TCoverMenuAction::FillType:
        case TCoverMenuAction::Rounding:
        case TCoverMenuAction::LineStyle:
        case TCoverMenuAction::StretchToEdges:
            break;
    }
    object.performMenuAction(item);
    if (model_.isSelected(object)) {
        handle_->RefitHandle();
    }
    invalidatePage();
}

// --- Menus.

std::unique_ptr<QMenu> TGBasePanel::pageMenu() {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("PagePopupMenu"));
    const bool any = !selection().empty();
    // The overlay is one of the page's children.
    const bool several = model_.count() + 1 > 1;
    const bool clipboard = QFile::exists(clipboardPath_);
    auto add = [&](const char* caption, bool enabled, auto&& run) {
        QAction* a = menu->addAction(QString::fromLatin1(caption));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, run);
    };
    add("Bring To Front", any, [this] { BringSelectionToFront(); });
    add("Send To Back", any, [this] { SendSelectionToBack(); });
    menu->addSeparator();
    add("Cut", any, [this] { ClipboardOperation(TClipboardOp::Cut); });
    add("Copy", any, [this] { ClipboardOperation(TClipboardOp::Copy); });
    add("Paste", clipboard, [this] { ClipboardOperation(TClipboardOp::Paste); });
    menu->addSeparator();
    add("Delete", any, [this] { ClipboardOperation(TClipboardOp::Delete); });
    menu->addSeparator();
    add("Align Left", any, [this] { alignSelection(TAlignEdge::Left); });
    add("Align Right", any, [this] { alignSelection(TAlignEdge::Right); });
    add("Align Tops", any, [this] { alignSelection(TAlignEdge::Top); });
    add("Align Bottoms", any, [this] { alignSelection(TAlignEdge::Bottom); });
    menu->addSeparator();
    add("Center Vertically", any, [this] { CenterSelectionVertically(); });
    add("Center Horizontally", any, [this] { CenterSelectionHorizontally(); });
    menu->addSeparator();
    add("Lock All", several, [this] { LockAll(true); });
    add("Unlock All", several, [this] { LockAll(false); });
    menu->addSeparator();
    add("Mark All Selectable", true, [this] { MarkAllSelectable(true); });
    add("Mark All Unselectable", true, [this] { MarkAllSelectable(false); });
    add("Select All", true, [this] { SelectAll(); });
    menu->addSeparator();
    add("Font", any, [this] { FontForSelection(); });
    return menu;
}

std::unique_ptr<QMenu> TGBasePanel::objectMenu(TGGraphicControl& object) {
    object.UpdateMenuChecks();
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("ObjectPopupMenu"));
    // The object may be freed by its own item; find it again by name.
    const QString name = object.name();
    fillMenu(*menu, object.menu(), [this, name](const TCoverMenuItem& item) {
        if (TGGraphicControl* o = model_.find(name)) {
            objectMenuAction(*o, item);
        }
    });
    return menu;
}

void TGBasePanel::popUpPageMenu(QPoint globalPos) {
    const std::unique_ptr<QMenu> menu = pageMenu();
    popper_(*menu, globalPos);
}

void TGBasePanel::popUpObjectMenu(TGGraphicControl& object, QPoint globalPos) {
    const std::unique_ptr<QMenu> menu = objectMenu(object);
    popper_(*menu, globalPos);
}

// --- Keys.

bool TGBasePanel::pageKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    if (ctrl && key == Qt::Key_C) {
        ClipboardOperation(TClipboardOp::Copy);
    } else if (ctrl && key == Qt::Key_V) {
        ClipboardOperation(TClipboardOp::Paste);
    } else if (ctrl && key == Qt::Key_X) {
        ClipboardOperation(TClipboardOp::Cut);
    } else if (key == Qt::Key_Delete) {
        ClipboardOperation(TClipboardOp::Delete);
    } else {
        return false;
    }
    return true;
}

void TGBasePanel::keyPressEvent(QKeyEvent* event) {
    if (pageKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- Mouse.

void TGBasePanel::pagePress(QPoint p, Qt::MouseButton button, QPoint globalPos) {
    if (button == Qt::RightButton) {
        popUpPageMenu(globalPos);
        return;
    }
    if (button != Qt::LeftButton) {
        return;
    }
    banding_ = true;
    bandOrigin_ = p;
    setCursor(Qt::PointingHandCursor);
}

void TGBasePanel::finishBand(QPoint p, Qt::KeyboardModifiers modifiers) {
    banding_ = false;
    setFeedback(std::nullopt);
    unsetCursor();
    const QRect band = QRect(bandOrigin_, p).normalized();
    if (!pointing_) {
        DropObject(band);
        if (DroppedObjectEvent) {
            DroppedObjectEvent(band);
        }
        return;
    }
    const bool toggle = modifiers.testFlag(Qt::ShiftModifier);
    if (!toggle) {
        handle_->ClearSelection();
    }
    std::vector<TGGraphicControl*> hit;
    for (const auto& o : model_.objects()) {
        if (o->boundsRect().intersects(band)) {
            hit.push_back(o.get());
        }
    }
    for (TGGraphicControl* o : hit) {
        if (toggle && model_.isSelected(*o)) {
            handle_->RemoveFromSelection(*o);
        } else {
            handle_->AddToSelection(*o);
        }
    }
}

void TGBasePanel::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (TGGraphicControl* o = objectAt(p)) {
        ObjectMouseDown(*o, p, event->button(), event->modifiers());
        return;
    }
    pagePress(p, event->button(), event->globalPosition().toPoint());
}

void TGBasePanel::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (handle_->capturing()) {
        handle_->moveTo(p - handle_->geometry().topLeft(), event->buttons());
    } else if (banding_) {
        setFeedback(QRect(bandOrigin_, p).normalized());
    }
}

void TGBasePanel::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (handle_->capturing()) {
        handle_->releaseAt(p - handle_->geometry().topLeft(), event->button());
    } else if (banding_ && event->button() == Qt::LeftButton) {
        finishBand(p, event->modifiers());
    }
}

void TGBasePanel::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (TGGraphicControl* o = objectAt(p)) {
        popUpObjectMenu(*o, event->globalPosition().toPoint());
    }
}

// --- Painting.

void TGBasePanel::invalidatePage() {
    imageValid_ = false;
    update();
}

void TGBasePanel::setFeedback(std::optional<QRect> rect) {
    if (rect == feedback_) {
        return;
    }
    feedback_ = rect;
    update();
}

void TGBasePanel::scheduleRefit() {
    invalidatePage();
    if (refitQueued_) {
        return;
    }
    refitQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        refitQueued_ = false;
        if (!selection().empty() && !handle_->dragging()) {
            handle_->RefitHandle();
        }
    });
}

void TGBasePanel::labelChanged() {
    invalidatePage();
    if (LabelChangedEvent) {
        LabelChangedEvent();
    }
}

const QImage& TGBasePanel::composedPage() {
    if (!imageValid_ || image_.size() != model_.pageSize()) {
        compose();
    }
    return image_;
}

void TGBasePanel::paintGrid(QPainter& painter) const {
    const int step = gridSize_ == TGridSize::gs4x4 ? 4 : 8;
    QImage pattern(8, 8, QImage::Format_RGB32);
    pattern.fill(Qt::white);
    const QColor green(QRgb(0xFF000000U | kGridDotColor));
    for (int y = 2; y < 8; y += step) {
        for (int x = 2; x < 8; x += step) {
            pattern.setPixelColor(x, y, green);
        }
    }
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.fillRect(image_.rect(), QBrush(pattern));
    painter.restore();
}

void TGBasePanel::paintOutline(QPainter& painter) const {
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    const QRect r = image_.rect().adjusted(0, 0, -1, -1);
    switch (shape_) {
        case TLabelShapeType::lsRectangle:
            painter.drawRect(r);
            break;
        case TLabelShapeType::lsRoundRect:
            painter.drawRoundedRect(r, kOutlineCorner / 2.0, kOutlineCorner / 2.0);
            break;
        case TLabelShapeType::lsEllipse:
            painter.drawEllipse(r);
            break;
    }
    painter.restore();
}

void TGBasePanel::compose() {
    if (image_.size() != model_.pageSize()) {
        image_ = QImage(model_.pageSize(), QImage::Format_RGB32);
    }
    image_.fill(Qt::white);
    QPainter painter(&image_);
    if (showGrid_) {
        paintGrid(painter);
    }
    if (drawOutline_) {
        paintOutline(painter);
    }
    for (const auto& o : model_.objects()) {
        o->paint(painter);
    }
    imageValid_ = true;
}

void TGBasePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, composedPage());
    if (feedback_) {
        // XOR: drawing the same rectangle again would take it away.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(feedback_->adjusted(0, 0, -1, -1));
    }
}

}  // namespace px
