// Sending faxes: one or more jobs per session, with redial, header line and
// text or APF covers.
#pragma once

#include <memory>
#include <vector>

#include "fax/components/px_abstract_fax.h"
#include "fax/components/px_font_description.h"
#include "fax/t4/px_custom_text_reader.h"

namespace px {

using TFaxNextEvent = std::function<void(TPxAbstractFax& cp, std::string& phoneNumber,
                                         std::string& faxFile, std::string& coverFile)>;

// Makes a text reader drawing with `font` (nullptr when it cannot), set up
// for the page width and the margin of the transmitter's text. Given by a
// layer with a font renderer; without one text is drawn in the fax font.
using TPxEnhTextReaderMaker =
    std::function<std::unique_ptr<TPxCustomTextReader>(const TPxFontDescription& font, bool fine)>;
// The readers of one send: for the header line or for a text cover.
using TPxEnhTextReaders =
    std::function<std::unique_ptr<TPxCustomTextReader>(bool headerLine, bool fine)>;

class TPxSendFax : public TPxAbstractFax {
public:
    bool EnhTextEnabled = false;
    // Header line and text cover fonts while EnhTextEnabled is on.
    TPxFontDescription EnhHeaderFont;
    TPxFontDescription EnhFont;
    TPxEnhTextReaderMaker EnhTextReaderMaker;
    std::vector<std::string> FaxFileList;
    bool BlindDial = false;
    bool DetectBusy = true;
    bool ToneDial = true;
    std::string DialPrefix;
    uint16_t DialWait = 60;
    uint16_t DialAttempts = 3;
    uint16_t DialRetryWait = 60;
    uint16_t MaxSendCount = 50;
    uint16_t BufferMinimum = 1000;
    std::string HeaderLine;
    std::string CoverFile;
    std::string PhoneNumber;
    bool SafeMode = true;
    bool FastPage = true;
    std::string HeaderSender, HeaderRecipient, HeaderTitle;
    TFaxNextEvent OnFaxNext;

    ~TPxSendFax() override;

    void BeginSending();
    // Joins the files of FaxFileList into one APF file (EFaxBadFormat when
    // one is not APF).
    void JoinFaxFiles(const std::string& target);
    int DialAttempt() const;
    // The readers a send uses for its texts: empty when enhanced text is off
    // or no maker was given (the fax font is used then).
    TPxEnhTextReaders EnhTextReaders() const;
    std::string CurrentPhoneNumber() const override;

protected:
    TFaxNextAnswer nextFax(TPxFaxJob& job) override;
    std::string fileName() override { return {}; }
    bool accept() override { return true; }
    void finished(int code) override;

private:
    std::string tempFile_;
    int requests_ = 0;
    std::string currentPhone_;
};

}  // namespace px
