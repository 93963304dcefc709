#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "EffectRecord.h"
#include "RecordingHostCallback.h"

namespace sweepfilter::test
{

using PluginMain = EffectRecord* (*)(HostCallback);

// The built plug-in, loaded the way a host loads it.
class PluginLibrary
{
public:
    explicit PluginLibrary(const char* path = SWEEPFILTER_PLUGIN_PATH)
        : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle_)
            throw std::runtime_error(std::string("cannot load plug-in: ") + dlerror());
        main_ = reinterpret_cast<PluginMain>(dlsym(handle_, "main"));
        if (!main_)
            throw std::runtime_error("plug-in has no main");
    }
    ~PluginLibrary() { dlclose(handle_); }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    EffectRecord* callMain(HostCallback callback = &RecordingHostCallback::callback) const
    {
        return main_(callback);
    }

private:
    void* handle_;
    PluginMain main_;
};

// One effect, driven only through the entries of its record.
class HostedEffect
{
public:
    explicit HostedEffect(const PluginLibrary& library) : record_(library.callMain())
    {
        if (!record_)
            throw std::runtime_error("main returned no effect");
    }
    ~HostedEffect()
    {
        if (record_)
            close();
    }
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    EffectRecord* record() const { return record_; }

    std::intptr_t dispatch(std::int32_t opcode, std::int32_t index = 0, std::intptr_t value = 0,
                           void* pointer = nullptr, float option = 0.0f)
    {
        return record_->dispatch(record_, opcode, index, value, pointer, option);
    }
    std::intptr_t close()
    {
        const std::intptr_t answer = dispatch(1);
        record_ = nullptr;
        return answer;
    }

    void setParameter(std::int32_t index, float value)
    {
        record_->setParameter(record_, index, value);
    }
    float getParameter(std::int32_t index) { return record_->getParameter(record_, index); }

    void setProgram(std::int32_t program) { dispatch(2, 0, program); }
    std::int32_t program() { return static_cast<std::int32_t>(dispatch(3)); }
    void setProgramName(std::string name) { dispatch(4, 0, 0, name.data()); }
    std::string programName() { return text(5, 0); }
    std::string parameterLabel(std::int32_t index) { return text(6, index); }
    std::string parameterDisplay(std::int32_t index) { return text(7, index); }
    std::string parameterName(std::int32_t index) { return text(8, index); }

    // Runs a text opcode into a roomy buffer; "<untouched>" when the effect wrote nothing.
    std::string text(std::int32_t opcode, std::int32_t index)
    {
        char buffer[256] = "<untouched>";
        dispatch(opcode, index, 0, buffer);
        return buffer;
    }

    void setSampleRate(float rate) { dispatch(10, 0, 0, nullptr, rate); }
    void setBlockSize(std::int32_t frames) { dispatch(11, 0, frames); }
    void suspend() { dispatch(12, 0, 0); }
    void resume() { dispatch(12, 0, 1); }

    void processReplace(float* const inputs[2], float* const outputs[2], std::int32_t frames)
    {
        record_->processReplace(record_, const_cast<float**>(inputs),
                                const_cast<float**>(outputs), frames);
    }
    void processAccumulate(float* const inputs[2], float* const outputs[2], std::int32_t frames)
    {
        record_->processAccumulate(record_, const_cast<float**>(inputs),
                                   const_cast<float**>(outputs), frames);
    }

private:
    EffectRecord* record_;
};

// A stereo signal in two channel vectors, handed out as the pointer array hosts pass.
struct StereoSignal
{
    std::vector<float> left, right;

    explicit StereoSignal(std::size_t frames = 0, float value = 0.0f)
        : left(frames, value), right(frames, value)
    {
    }
    StereoSignal(std::vector<float> l, std::vector<float> r) : left(std::move(l)), right(std::move(r)) {}

    std::size_t frames() const { return left.size(); }
    std::int32_t frameCount() const { return static_cast<std::int32_t>(left.size()); }

    // The channel pointers, advanced to frame `offset`.
    float* const* buffers(std::size_t offset = 0)
    {
        pointers_[0] = left.data() + offset;
        pointers_[1] = right.data() + offset;
        return pointers_;
    }

private:
    float* pointers_[2] = {};
};

} // namespace sweepfilter::test
