#include "ui/help/help_topics.h"

#include <array>
#include <utility>

namespace px {

namespace {

constexpr std::array<std::pair<int, const char*>, 12> kTopics = {{
    {kHelpContents, "contents.html"},
    {kHelpFaq, "faq.html"},
    {kHelpTechnicalSupport, "support.html"},
    {kHelpSendWindow, "sending.html"},
    {kHelpFaxLogCleanup, "cleanup.html"},
    {kHelpFaxViewer, "viewer.html"},
    {kHelpCoverDesigner, "coverdesigner.html"},
    {kHelpCoverDesignerTips, "coverdesigner-tips.html"},
    {kHelpPreferences, "preferences.html"},
    {kHelpPreferencesModem, "preferences-modem.html"},
    {kHelpPreferencesSending, "preferences-sending.html"},
    {kHelpPreferencesReceiving, "preferences-receiving.html"},
}};

}  // namespace

bool isKnownHelpTopic(int topic) {
    for (const auto& [number, page] : kTopics) {
        if (number == topic) {
            return true;
        }
    }
    return false;
}

QString helpTopicPage(int topic) {
    for (const auto& [number, page] : kTopics) {
        if (number == topic) {
            return QStringLiteral("qrc:/help/") + page;
        }
    }
    return QStringLiteral("qrc:/help/contents.html");
}

}  // namespace px
