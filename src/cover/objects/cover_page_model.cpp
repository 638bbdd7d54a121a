#include "cover/objects/cover_page_model.h"

#include <algorithm>
#include <cmath>

#include "cover/objects/fax_cover_label.h"
#include "cover/objects/fax_cover_shapes.h"
#include "cover/objects/fax_cover_symbol.h"
#include "cover/objects/fax_cover_text_area.h"

namespace px {

namespace {
constexpr int kMinimumNewWidth = 10;
constexpr int kMinimumNewHeight = 15;
constexpr int kMaxNameNumber = 1000;
constexpr int kOffPageBottom = 10;
constexpr int kOffPageRight = 10;
}  // namespace

TCoverPageModel::TCoverPageModel() = default;

TCoverPageModel::~TCoverPageModel() {
    selection_.clear();
    objects_.clear();
}

TGGraphicControl* TCoverPageModel::find(const QString& name) const {
    for (const auto& o : objects_) {
        if (o->name().compare(name, Qt::CaseInsensitive) == 0) {
            return o.get();
        }
    }
    return nullptr;
}

TGGraphicControl& TCoverPageModel::insert(std::unique_ptr<TGGraphicControl> object) {
    object->setHost(this);
    if (object->loading()) {
        object->Loaded();
    }
    objects_.push_back(std::move(object));
    return *objects_.back();
}

TGGraphicControl& TCoverPageModel::AddObject(std::unique_ptr<TGGraphicControl> object,
                                             const QRect& rect) {
    TGGraphicControl& o = insert(std::move(object));
    o.setName(UniqueName(QStringLiteral("Special")));
    // The rectangle is already in the page's zoomed pixels: the object takes
    // the page's zoom first, so that only its default size is scaled.
    if (o.Zoom() != zoom_) {
        o.SetObjectZoom(zoom_);
    }
    o.setBounds(rect.left(), rect.top(), std::max(rect.width(), kMinimumNewWidth),
                std::max(rect.height(), kMinimumNewHeight));
    o.NotifyChanged();
    return o;
}

void TCoverPageModel::remove(TGGraphicControl& object) {
    removeFromSelection(object);
    const auto it = std::find_if(objects_.begin(), objects_.end(),
                                 [&](const auto& o) { return o.get() == &object; });
    if (it != objects_.end()) {
        objects_.erase(it);
    }
}

void TCoverPageModel::ClearObjects() {
    ClearSelection();
    objects_.clear();
}

void TCoverPageModel::BringToFront(TGGraphicControl& object) {
    const auto it = std::find_if(objects_.begin(), objects_.end(),
                                 [&](const auto& o) { return o.get() == &object; });
    if (it != objects_.end()) {
        std::rotate(it, it + 1, objects_.end());
    }
}

void TCoverPageModel::SendToBack(TGGraphicControl& object) {
    const auto it = std::find_if(objects_.begin(), objects_.end(),
                                 [&](const auto& o) { return o.get() == &object; });
    if (it != objects_.end()) {
        std::rotate(objects_.begin(), it, it + 1);
    }
}

void TCoverPageModel::PurgeOffPageObjects() {
    ClearSelection();
    const int h = pageSize_.height();
    const int w = pageSize_.width();
    std::erase_if(objects_, [&](const auto& o) {
        return o->top() > h - kOffPageBottom || o->left() > w - kOffPageRight || o->width() < 1 ||
               o->height() < 1;
    });
}

QString TCoverPageModel::UniqueName(const QString& prefix) const {
    for (int n = 1; n <= kMaxNameNumber; ++n) {
        const QString candidate = prefix + QString::number(n);
        if (!ownsComponentNamed(candidate)) {
            return candidate;
        }
    }
    return {};
}

void TCoverPageModel::AddToSelection(TGGraphicControl& object) {
    if (object.unselectable() || isSelected(object)) {
        return;
    }
    selection_.push_back(&object);
}

void TCoverPageModel::ClearSelection() {
    selection_.clear();
}

bool TCoverPageModel::isSelected(const TGGraphicControl& object) const {
    return std::find(selection_.begin(), selection_.end(), &object) != selection_.end();
}

void TCoverPageModel::removeFromSelection(TGGraphicControl& object) {
    std::erase(selection_, &object);
}

void TCoverPageModel::SetZoom(float zoom) {
    if (zoom == zoom_) {
        return;
    }
    zooming_ = true;
    const float current = zoom_ == 0.0F ? 1.0F : zoom_;
    const double f = static_cast<double>(zoom) / static_cast<double>(current);
    pageSize_ = QSize(static_cast<int>(std::nearbyint(pageSize_.width() * f)),
                      static_cast<int>(std::nearbyint(pageSize_.height() * f)));
    zoom_ = zoom;
    for (const auto& o : objects_) {
        o->SetObjectZoom(zoom);
    }
    zooming_ = false;
}

void TCoverPageModel::labelChanged() {
    if (onLabelChanged_) {
        onLabelChanged_();
    }
}

bool TCoverPageModel::ownsComponentNamed(const QString& name) const {
    return find(name) != nullptr;
}

std::unique_ptr<TGGraphicControl> createCoverObject(const QString& className) {
    std::unique_ptr<TGGraphicControl> o;
    if (className == QLatin1String("TFaxCoverLabel")) {
        o = std::make_unique<TFaxCoverLabel>();
    } else if (className == QLatin1String("TFaxCoverSymbol")) {
        o = std::make_unique<TFaxCoverSymbol>();
    } else if (className == QLatin1String("TFaxCoverShapes")) {
        o = std::make_unique<TFaxCoverShapes>();
    } else if (className == QLatin1String("TFaxCoverLine")) {
        o = std::make_unique<TFaxCoverLine>();
    } else if (className == QLatin1String("TFaxCoverMessage")) {
        o = std::make_unique<TFaxCoverMessage>();
    } else if (className == QLatin1String("TFaxCoverImportance")) {
        o = std::make_unique<TFaxCoverImportance>();
    } else if (className == QLatin1String("TFaxCoverField")) {
        o = std::make_unique<TFaxCoverField>();
    }
    return o;
}

}  // namespace px
