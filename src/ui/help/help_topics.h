// The numbered help topics the program's windows open, and the bundled page
// that holds each.
#pragma once

#include <QString>

namespace px {

inline constexpr int kHelpContents = 1009;
inline constexpr int kHelpFaq = 911;
inline constexpr int kHelpTechnicalSupport = 1025;
inline constexpr int kHelpSendWindow = 1016;
inline constexpr int kHelpFaxLogCleanup = 21071;
inline constexpr int kHelpFaxViewer = 1021;
inline constexpr int kHelpCoverDesigner = 1030;
inline constexpr int kHelpCoverDesignerTips = 1031;
inline constexpr int kHelpPreferences = 1022;
inline constexpr int kHelpPreferencesModem = 3501;
inline constexpr int kHelpPreferencesSending = 3502;
inline constexpr int kHelpPreferencesReceiving = 3503;

// The page of a topic ("qrc:/help/....html"); an unknown topic opens the contents.
QString helpTopicPage(int topic);
// Whether the topic has a page of its own.
bool isKnownHelpTopic(int topic);

}  // namespace px
