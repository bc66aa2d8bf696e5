#include "document/WaveDocument.h"

#include "wave/ParameterPanel.h"

WaveDocument::WaveDocument(QObject* parent) : QObject(parent) {}

DisplayFlags WaveDocument::displayFlags() const
{
    return {flag(Flag::Ch1), flag(Flag::Ch2), flag(Flag::Base), flag(Flag::Grid), flag(Flag::Line)};
}

void WaveDocument::applyCapture(CaptureBytes capture)
{
    if (isHeld()) {
        m_heldCapture = std::move(capture);
        return;
    }
    m_captureAwaitsSetup = true;
    announce(storeCapture(capture));
    emit captureApplied();
}

WaveDocument::Aspects WaveDocument::storeCapture(const CaptureBytes& capture)
{
    if (!capture.applyTo(m_record))
        return {};
    return Samples | Parameters | fitTimeAxis();
}

void WaveDocument::applyFile(const WaveRecord& loaded)
{
    m_record = loaded;
    // A file holds offset-free samples: a capture whose offsets were never removed (its
    // setup left without a sweep time) must not have them removed from the file's.
    m_record.FreshCapture = kFalse;
    // The boxes' click actions run only when a value changes: a box already checked keeps
    // whatever non-zero Ch1On/Ch2On the file gave.
    Aspects aspects = Samples | Parameters;
    aspects |= setFlagValue(Flag::Ch1, loaded.Ch1On != 0 ? 1 : 0);
    aspects |= setFlagValue(Flag::Ch2, loaded.Ch2On != 0 ? 1 : 0);
    aspects |= fitTimeAxis();
    bool ran = false;
    aspects |= refreshParameters(ran);
    announce(aspects, ran);
}

void WaveDocument::beginSetup()
{
    hold();
    if (!EquSamplingAvailable(m_record.LastIndex) && m_record.EquSampling != kFalse) {
        m_record.EquSampling = kFalse;
        announce(Parameters);
    }
}

void WaveDocument::endSetup(const std::optional<SetupValues>& stored, bool confirmed, bool afterCapture)
{
    Aspects aspects = afterCapture ? Aspects(View) : Aspects();
    if (afterCapture)
        m_captureAwaitsSetup = false;
    if (confirmed)
        m_record.ParamsLocked = kTrue;
    if (stored)
        StoreSetupValues(*stored, m_record);
    if (confirmed || stored)
        aspects |= Parameters;
    bool ran = false;
    aspects |= refreshParameters(ran);
    announce(aspects, ran);
    release();
}

void WaveDocument::RefreshParameters()
{
    bool ran = false;
    const Aspects aspects = refreshParameters(ran);
    announce(aspects, ran);
}

WaveDocument::Aspects WaveDocument::refreshParameters(bool& ran)
{
    const bool fresh = m_record.FreshCapture == kTrue;
    ran = RefreshRecord(m_record, flag(Flag::Length), flag(Flag::Ch1), flag(Flag::Ch2));
    if (!ran)
        return {};
    return fresh ? Parameters | Samples : Aspects(Parameters);
}

void WaveDocument::FitTimeAxis()
{
    announce(fitTimeAxis());
}

WaveDocument::Aspects WaveDocument::fitTimeAxis()
{
    const WaveScale whole{0, double(m_record.LastIndex)};
    const Aspects aspects = setFlagValue(Flag::Length, m_record.LastIndex > 30000 ? 1 : 0);
    if (m_view == whole)
        return aspects;
    m_view = whole;
    return aspects | View;
}

bool WaveDocument::step(int index, const UpDownState& state)
{
    if (!UpDownStep(state, index, m_view, m_record))
        return false;
    // An offset step moves where a channel is drawn; its samples stay as they are.
    announce(index >= 2 ? View | Parameters : Aspects(View));
    return true;
}

void WaveDocument::setFlag(Flag which, int value)
{
    announce(setFlagValue(which, value));
}

WaveDocument::Aspects WaveDocument::setFlagValue(Flag which, int value)
{
    int& current = m_flags[std::size_t(which)];
    if (current == value)
        return {};
    current = value;
    if (which == Flag::Ch1)
        m_record.Ch1On = int16_t(value);
    else if (which == Flag::Ch2)
        m_record.Ch2On = int16_t(value);
    else
        return Flags;
    return Flags | Parameters;
}

void WaveDocument::hold()
{
    ++m_holds;
}

void WaveDocument::release()
{
    if (m_holds == 0 || --m_holds > 0 || !m_heldCapture)
        return;
    CaptureBytes capture = std::move(*m_heldCapture);
    m_heldCapture.reset();
    applyCapture(std::move(capture));
}

void WaveDocument::announce(Aspects aspects, bool ranRefresh)
{
    if (aspects)
        emit changed(aspects);
    if (ranRefresh)
        emit refreshed();
}
