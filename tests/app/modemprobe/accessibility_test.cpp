// Every control of the three probing windows has a name a screen reader can say.
#include <gtest/gtest.h>

#include "app/host/scripted_prompts.h"
#include "app/modemprobe/check_fax_class_form.h"
#include "app/modemprobe/find_modem_form.h"
#include "app/modemprobe/init_string_helper_form.h"
#include "comms/px_com_port.h"
#include "comms/qt/px_qt_event_loop.h"
#include "fax/components/px_send_fax.h"
#include "settings/settings_file.h"
#include "support/accessibility.h"
#include "support/temp_dir.h"

namespace px::test {
namespace {

TEST(ProbingWindows, EveryControlHasAnAccessibleName) {
    TempDir home;
    SettingsFile settingsFile(home / "PX.INI");
    TPxQtEventLoop loop;
    TPxComPort port(&loop);
    TPxSendFax sendFax;
    TScriptedPrompts prompts;
    TFindModemForm find(nullptr, port, settingsFile, prompts, home.path());
    EXPECT_EQ(unnamedControls(&find), "");
    TCheckFaxClassForm check(nullptr, port, sendFax, 1, prompts);
    EXPECT_EQ(unnamedControls(&check), "");
    TModemInitStringHelperForm helper(nullptr, "", true);
    EXPECT_EQ(unnamedControls(&helper), "");
}

}  // namespace
}  // namespace px::test
