// Edit of an outgoing fax that has no cover sheet: its fax information.
#include <cstdint>
#include <exception>

#include "app/faxeditor/fax_editor.h"
#include "app/host/user_prompts.h"
#include "app/outgoing/outgoing_workflow.h"
#include "app/tables/log_table.h"

namespace px {

void TOutgoingWorkflow::editFaxInformation() {
    TUserPrompts& prompts = host_.prompts();
    if (!host_.hasCurrent(TMainPage::Outgoing)) {
        prompts.beep();
        return;
    }
    TXbTable& table = host_.log(TMainPage::Outgoing).table();
    const std::uint32_t recno = table.recNo();
    TFaxInformation info = readFaxInformation(table);
    if (!editor_(host_.dialogParent(), kFaxEditorCaption, info)) {
        return;
    }
    try {
        // The grid may have moved the cursor while the editor was open.
        table.goTo(recno);
        writeFaxInformation(table, info);
    } catch (const std::exception& e) {
        prompts.information(host_.dialogParent(), QString::fromUtf8(e.what()));
    }
    host_.refreshLog(TMainPage::Outgoing);
}

}  // namespace px
