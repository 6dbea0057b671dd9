// The channel type source in use.
#include "model/ChannelTypeSource.h"

#include <atomic>

#include "acquisition/ChanInfoWrapper.h"

namespace {

class ChanInfoTypeSource : public IChannelTypeSource {
public:
    int GetAcqChannelTypeID(int channel) override { return g_ChanInfo.GetAcqChannelTypeID(channel); }
    int GetChannelSubVersion(int channel) override { return g_ChanInfo.GetChannelSubVersion(channel); }
};

ChanInfoTypeSource g_chanInfoSource;
std::atomic<IChannelTypeSource*> g_source{nullptr};

} // namespace

IChannelTypeSource& GetChannelTypeSource() {
    IChannelTypeSource* source = g_source.load();
    return source != nullptr ? *source : g_chanInfoSource;
}

void SetChannelTypeSource(IChannelTypeSource* source) {
    g_source.store(source);
}
