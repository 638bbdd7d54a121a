// The com port component: keeps the port's settings as properties, opens and
// closes the dispatcher, applies changes to an open port at once, raises
// exceptions for negative results and turns trigger messages into events.
// All of it runs in the owner's (application) thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "comms/px_base_component.h"
#include "comms/px_clock.h"
#include "comms/px_com_port_types.h"
#include "comms/px_dispatch_log.h"
#include "comms/px_event_loop.h"
#include "comms/px_posix_dispatcher.h"
#include "comms/px_trace_buffer.h"
#include "comms/px_triggers.h"

namespace px {

class TPxComWindow;

class TPxCustomComPort : public TPxBaseComponent {
public:
    // Events are delivered through `loop` (the application's event loop);
    // without one the component keeps a plain loop for the creating thread.
    explicit TPxCustomComPort(TPxEventLoop* loop = nullptr,
                              TPxClock& clock = TPxSystemClock::instance());
    ~TPxCustomComPort() override;
    TPxCustomComPort(const TPxCustomComPort&) = delete;
    TPxCustomComPort& operator=(const TPxCustomComPort&) = delete;

    // Copies the settings (not Open), the users, the trigger events and the
    // port notifications; an open source's triggers come along too.
    void assign(TPxCustomComPort& source);

    // --- Properties.
    TDeviceLayer DeviceLayer() const { return deviceLayer_; }
    void setDeviceLayer(TDeviceLayer layer);
    int ComNumber() const { return comNumber_; }
    void setComNumber(int number);
    uint32_t Baud() const { return baud_; }
    void setBaud(uint32_t baud);
    bool PromptForPort() const { return promptForPort_; }
    void setPromptForPort(bool on) { promptForPort_ = on; }
    TParity Parity() const { return parity_; }
    void setParity(TParity parity);
    uint16_t DataBits() const { return dataBits_; }
    void setDataBits(uint16_t bits);
    uint16_t StopBits() const { return stopBits_; }
    void setStopBits(uint16_t bits);
    uint16_t InSize() const { return inSize_; }
    void setInSize(uint16_t size);
    uint16_t OutSize() const { return outSize_; }
    void setOutSize(uint16_t size);
    bool AutoOpen() const { return autoOpen_; }
    void setAutoOpen(bool on) { autoOpen_ = on; }
    bool Open() const { return open_; }
    void setOpen(bool on);
    bool DTR() const { return dtr_; }
    void setDTR(bool on);
    bool RTS() const { return rts_; }
    void setRTS(bool on);
    THWFlowOptionSet HWFlowOptions() const { return hwFlow_; }
    void setHWFlowOptions(THWFlowOptionSet options);
    TSWFlowOptions SWFlowOptions() const { return swFlow_; }
    void setSWFlowOptions(TSWFlowOptions options);
    char XOnChar() const { return xonChar_; }
    void setXOnChar(char c);
    char XOffChar() const { return xoffChar_; }
    void setXOffChar(char c);
    uint16_t BufferFull() const { return bufferFull_; }
    void setBufferFull(uint16_t value);
    uint16_t BufferResume() const { return bufferResume_; }
    void setBufferResume(uint16_t value);
    TTraceLogState Tracing() const { return tracing_; }
    void setTracing(TTraceLogState state);
    uint32_t TraceSize() const { return traceSize_; }
    void setTraceSize(uint32_t entries);
    const std::string& TraceName() const { return traceName_; }
    void setTraceName(const std::string& name) { traceName_ = name; }
    bool TraceHex() const { return traceHex_; }
    void setTraceHex(bool on) { traceHex_ = on; }
    TTraceLogState Logging() const { return logging_; }
    void setLogging(TTraceLogState state);
    uint32_t LogSize() const { return logSize_; }
    void setLogSize(uint32_t bytes);
    const std::string& LogName() const { return logName_; }
    void setLogName(const std::string& name) { logName_ = name; }
    bool LogHex() const { return logHex_; }
    void setLogHex(bool on) { logHex_ = on; }
    bool UseMSRShadow() const { return useMsrShadow_; }
    void setUseMSRShadow(bool on) { useMsrShadow_ = on; }
    bool UseEventWord() const { return useEventWord_; }
    void setUseEventWord(bool on) { useEventWord_ = on; }
    uint16_t CommNotificationLevel() const { return notificationLevel_; }
    void setCommNotificationLevel(uint16_t level) { notificationLevel_ = level; }
    TTapiMode TapiMode() const { return tapiMode_; }
    void setTapiMode(TTapiMode mode) { tapiMode_ = mode; }
    bool RS485Mode() const { return rs485_; }
    void setRS485Mode(bool on);
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // --- Events.
    void setOnTrigger(TTriggerEvent e);
    void setOnTriggerAvail(TTriggerAvailEvent e);
    void setOnTriggerData(TTriggerDataEvent e);
    void setOnTriggerStatus(TTriggerStatusEvent e);
    void setOnTriggerTimer(TTriggerTimerEvent e);
    void setOnTriggerLineError(TTriggerLineErrorEvent e);
    void setOnTriggerModemStatus(TNotifyEvent e);
    void setOnTriggerOutbuffFree(TNotifyEvent e);
    void setOnTriggerOutbuffUsed(TNotifyEvent e);
    void setOnTriggerOutSent(TNotifyEvent e);
    void setOnWaitChar(TWaitCharEvent e) { onWaitChar_ = std::move(e); }
    void setOnPortOpen(TNotifyEvent e) { onPortOpen_ = std::move(e); }
    void setOnPortClose(TNotifyEvent e) { onPortClose_ = std::move(e); }

    // --- Where the port is and how the user picks one.
    // The device path of port n; by default /dev/ttyS(n-1). The application
    // points this at its [Ports] settings.
    void setDevicePathResolver(std::function<std::string(int)> resolver);
    const std::function<std::string(int)>& devicePathResolver() const { return pathResolver_; }
    std::string devicePath(int number) const;
    // Asked for a port number when ComNumber is 0 and PromptForPort is set;
    // 0 means the user cancelled.
    void setPortPrompt(std::function<int()> prompt) { portPrompt_ = std::move(prompt); }

    // --- Loading from stored settings: Open set to True in between only
    // records the wish, which endLoading acts on (an error then leaves Open
    // False and goes to the exception display).
    void beginLoading();
    void endLoading();

    // --- Operations.
    TPortState State() const { return state_; }
    // The dispatcher, opening the port first when AutoOpen is set.
    TPxPosixDispatcher& Dispatcher();
    TPxEventLoop& eventLoop() const { return *loop_; }
    void WriteText(const std::string& text);
    void WriteBlock(const uint8_t* data, uint32_t length);
    void WriteChar(char c);
    bool HasInput();
    char TakeChar();
    void ClearInput();
    void ClearOutput();
    uint32_t InputCount();
    uint32_t OutputFree();
    uint32_t OutputCount();
    int TakeLineError();
    bool TakeLineBreak();
    bool CTS();
    bool DSR();
    bool RI();
    bool DCD();
    bool DeltaCTS();
    bool DeltaDSR();
    bool DeltaRI();
    bool DeltaDCD();
    uint8_t ModemStatus();
    void SendBreak(uint32_t ms);
    int NewDataTrigger(const std::string& match, bool ignoreCase);
    int NewTimerTrigger();
    int NewStatusTrigger(int kind);
    void ArmTimerTrigger(int handle, int32_t ticks, bool activate = true);
    void ArmStatusTrigger(int handle, uint32_t value, bool activate = true);
    void DropTrigger(int handle);
    void SetAvailLevel(uint32_t count);
    void AddPortUser(TPxMessageWindow* window);
    void AddPortUser(TPortCallback callback, void* userData);
    void RemovePortUser(TPxMessageWindow* window);
    void RemovePortUser(TPortCallback callback, void* userData);
    // Waits for `text` in the incoming bytes (time-out in ticks). True when it
    // came (or there was nothing to wait for); false on time-out.
    bool AwaitText(const std::string& text, int32_t timeoutTicks, bool yield, bool ignoreCase);
    // Set by the application when it is shutting down: waits end at once.
    void setTerminating(bool on) { terminating_ = on; }

    // Reports an event handler's exception (the application's display).
    void setExceptionDisplay(std::function<void(std::exception_ptr)> display);

private:
    friend class TPxComWindow;
    struct PortUser {
        TPxMessageWindow* window;
        TPortCallback callback;
        void* userData;
    };

    void openPort();
    void closePort();
    void finishClose();
    void applyProperties();
    void applyHardwareFlow();
    void applySoftwareFlow();
    void applyTraceState(TTraceLogState request, bool tracing);
    void updateNotifyMode();
    bool hasEventHandlers() const;
    void handleTrigger(uint32_t msg, uint32_t wParam, uint16_t data);
    void handleDeferredClose(uint32_t lParam);
    TPxPosixDispatcher* openDispatcher();

    std::unique_ptr<TPxPlainEventLoop> ownLoop_;
    TPxEventLoop* loop_;
    TPxClock& clock_;
    std::unique_ptr<TPxPosixDispatcher> dispatcher_;
    std::shared_ptr<TPxComWindow> window_;
    TPortState state_ = psClosed;
    bool reopenRequested_ = false;
    TPxTriggerStore savedTriggers_;
    std::vector<PortUser> users_;
    std::function<std::string(int)> pathResolver_;
    std::function<int()> portPrompt_;
    std::function<void(std::exception_ptr)> exceptionDisplay_;
    bool terminating_ = false;
    uint32_t availLevelAtOpen_ = 1;
    int threadBoost_ = 0;
    bool forceApply_ = false;
    bool openAfterLoading_ = false;

    TDeviceLayer deviceLayer_ = dlWin32;
    int comNumber_ = 0;
    uint32_t baud_ = 19200;
    bool promptForPort_ = true;
    TParity parity_ = pNone;
    uint16_t dataBits_ = 8;
    uint16_t stopBits_ = 1;
    uint16_t inSize_ = 4096;
    uint16_t outSize_ = 4096;
    bool autoOpen_ = true;
    bool open_ = false;
    bool dtr_ = true;
    bool rts_ = true;
    THWFlowOptionSet hwFlow_;
    TSWFlowOptions swFlow_ = swfNone;
    char xonChar_ = kXonChar;
    char xoffChar_ = kXoffChar;
    uint16_t bufferFull_ = 0;
    uint16_t bufferResume_ = 0;
    TTraceLogState tracing_ = tlOff;
    uint32_t traceSize_ = kDefaultTraceSize;
    std::string traceName_ = "PXCOM.TRC";
    bool traceHex_ = true;
    TTraceLogState logging_ = tlOff;
    uint32_t logSize_ = kDefaultLogSize;
    std::string logName_ = "PXCOM.LOG";
    bool logHex_ = true;
    bool useMsrShadow_ = true;
    bool useEventWord_ = true;
    uint16_t notificationLevel_ = 10;
    TTapiMode tapiMode_ = tmAuto;
    bool rs485_ = false;
    int tag_ = 0;

    TTriggerEvent onTrigger_;
    TTriggerAvailEvent onTriggerAvail_;
    TTriggerDataEvent onTriggerData_;
    TTriggerStatusEvent onTriggerStatus_;
    TTriggerTimerEvent onTriggerTimer_;
    TTriggerLineErrorEvent onTriggerLineError_;
    TNotifyEvent onTriggerModemStatus_;
    TNotifyEvent onTriggerOutbuffFree_;
    TNotifyEvent onTriggerOutbuffUsed_;
    TNotifyEvent onTriggerOutSent_;
    TWaitCharEvent onWaitChar_;
    TNotifyEvent onPortOpen_;
    TNotifyEvent onPortClose_;
};

}  // namespace px
