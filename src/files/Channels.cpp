#include "files/Channels.h"

namespace webaccess::files {

OutputFile& Channels::OpenOutput(Channel channel, const std::string& name, OutputFile::Mode mode) {
  Close(channel);
  auto file = std::make_unique<OutputFile>(name, mode);
  OutputFile& result = *file;
  slots_[channel].output = std::move(file);
  return result;
}

LineReader& Channels::OpenInput(Channel channel, const std::string& name,
                                LineReader::LineEnds ends) {
  Close(channel);
  auto file = std::make_unique<LineReader>(name, ends);
  LineReader& result = *file;
  slots_[channel].input = std::move(file);
  return result;
}

OutputFile* Channels::Output(Channel channel) {
  auto it = slots_.find(channel);
  return it == slots_.end() ? nullptr : it->second.output.get();
}

LineReader* Channels::Input(Channel channel) {
  auto it = slots_.find(channel);
  return it == slots_.end() ? nullptr : it->second.input.get();
}

bool Channels::IsOpen(Channel channel) const { return slots_.contains(channel); }

void Channels::Close(Channel channel) {
  auto it = slots_.find(channel);
  if (it == slots_.end()) return;
  Slot slot = std::move(it->second);
  slots_.erase(it);
  if (slot.output) slot.output->Close();
}

void Channels::CloseAllQuietly() noexcept {
  for (auto& [channel, slot] : slots_) {
    if (!slot.output) continue;
    try {
      slot.output->Close();
    } catch (...) {
      // The process is ending; there is nobody left to tell.
    }
  }
  slots_.clear();
}

void Channels::FlushAll() {
  for (auto& [channel, slot] : slots_) {
    if (slot.output) slot.output->Flush();
  }
}

}  // namespace webaccess::files
