#include "player/playback_engine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "media/frame_header.h"
#include "media/still_image.h"
#include "media/wall_time.h"
#include "platform/mapped_file.h"
#include "player/player_strings.h"

namespace player {
namespace {

constexpr std::string_view kTextLoading = "Loading.....";
constexpr std::string_view kTextPause = "Pause";
constexpr std::string_view kTextStop = "Stop";
constexpr std::string_view kTextPanorama = "Panorama";
constexpr std::string_view kTextUmsFile = "Ums File";
constexpr int kPanoramaCells = 16;
constexpr int kIntra = static_cast<int>(media::FrameKind::Intra);
constexpr int kAnchor = static_cast<int>(media::FrameKind::Anchor);
constexpr int kPredicted = static_cast<int>(media::FrameKind::Predicted);

bool EndsWithNoCase(const std::string& s, std::string_view tail) {
    if (s.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const char a = s[s.size() - tail.size() + i];
        if (std::tolower(static_cast<unsigned char>(a)) != tail[i]) return false;
    }
    return true;
}

}  // namespace

PlaybackEngine::PlaybackEngine(EngineOutput& output, MonotonicClock& clock, TickSource* ticks,
                               EngineAudio* audio)
    : out_(output),
      clock_(clock),
      ticks_(ticks),
      audio_(audio),
      payload_(std::make_unique<uint8_t[]>(media::kMaxPayloadSize)) {
    panoramaPositions_.reserve(kPanoramaCells);
}

PlaybackEngine::~PlaybackEngine() {
    std::unique_lock lock(mutex_);
    EndThread(lock);
    if (audioOpen_ && audio_) audio_->Close();
}

// ---- opening ----------------------------------------------------------------------------

int PlaybackEngine::Open(const std::string& path) {
    std::unique_lock lock(mutex_);
    EndThread(lock);
    if (EndsWithNoCase(path, ".ums")) return OpenSingleFrame(path);
    if (!EndsWithNoCase(path, ".umv") && !EndsWithNoCase(path, ".idx")) return OpenStill(path);
    const int failure = OpenLocked(path, 0, false);
    if (failure == 0) {
        if (EndsWithNoCase(path, ".idx"))
            ScanFolder(path);
        else
            folderList_.clear();
        state_ = EngineState::kPlaying;
        StartThread();
    }
    return failure;
}

int PlaybackEngine::OpenAt(const std::string& path, int64_t wallTime) {
    std::unique_lock lock(mutex_);
    EndThread(lock);
    if (EndsWithNoCase(path, ".ums")) return OpenSingleFrame(path);
    if (!EndsWithNoCase(path, ".umv") && !EndsWithNoCase(path, ".idx")) return OpenStill(path);
    const int failure = OpenLocked(path, 0, false);
    if (failure != 0) return failure;
    if (EndsWithNoCase(path, ".idx")) ScanFolder(path);
    if (wallTime >= 0) {
        const int64_t found = FindTime(wallTime);
        if (found >= 0) position_ = found;
    }
    state_ = EngineState::kPlaying;
    pauseWhenCellsShown_ = true;
    StartThread();
    return 0;
}

int PlaybackEngine::OpenLocked(const std::string& path, int64_t position, bool atEnd) {
    const float keepSpeed = speed_;
    if (audioOpen_ && audio_) audio_->Close();
    audioOpen_ = false;
    out_.Status(kTextLoading);
    const bool pair = EndsWithNoCase(path, ".idx");
    const media::OpenError error = recording_.Open(path);
    if (error == media::OpenError::kCantOpen) return kTextFileCantOpened;
    if (error == media::OpenError::kImproperType) return kTextImproperFileType;
    if (recording_.index().frameCount() == 0) {
        recording_.Close();
        return kTextImproperFileType;
    }
    fileName_ = path;
    mode_ = pair ? OpenMode::kPair : OpenMode::kDataFile;
    const media::FrameIndex& index = recording_.index();
    layout_ = InitialLayout(index.resultChannel(), index.modelCode());
    out_.LayoutChanged(layout_);
    position_ = atEnd ? Count() - 1 : std::clamp<int64_t>(position, 0, Count() - 1);
    speed_ = 1.0f;
    shownSinceOpen_.fill(false);
    motion_.fill(false);
    sensor_.fill(false);
    sizeCode_ = 255;
    timeText_.clear();
    ResetPacing();
    firstPass_ = true;
    if (continuing_) speed_ = keepSpeed;
    EmitPosition();
    out_.Status(SpeedLabel(speed_));
    return 0;
}

void PlaybackEngine::CloseForPicture(const std::string& path, OpenMode mode) {
    if (audioOpen_ && audio_) audio_->Close();
    audioOpen_ = false;
    if (state_ == EngineState::kPanorama) out_.SetPanorama(false);
    state_ = EngineState::kStopped;
    pauseWhenCellsShown_ = false;
    recording_.Close();
    folderList_.clear();
    folderIndex_ = -1;
    position_ = 0;
    speed_ = 1.0f;
    EmitPosition();
    fileName_ = path;
    mode_ = mode;
    timeText_.clear();
    shownSinceOpen_.fill(false);
    // The picture stands alone in the large cell of channel 1.
    layout_ = 0;
    out_.LayoutChanged(layout_);
}

int PlaybackEngine::OpenSingleFrame(const std::string& path) {
    out_.Status(kTextLoading);
    media::FrameHeader header;
    size_t size = 0;
    const media::StillError error = media::ReadUms(path, &header, payload_.get(), &size);
    if (error == media::StillError::kCantOpen) return kTextFileCantOpened;
    if (error == media::StillError::kTooBig) return kTextFileSizeTooBig;
    if (error != media::StillError::kNone || size == 0) return kTextImproperFileType;
    CloseForPicture(path, OpenMode::kSingleFrame);
    sizeCode_ = header.sizeCode();
    out_.SetSizeCode(sizeCode_);
    out_.ResetCells();
    // The decoder hands out a picture when the next one arrives: the same picture twice shows
    // it at once.
    for (int i = 0; i < 2; ++i)
        out_.ShowPicture(0, header.kind, header.stamp, payload_.get(), size);
    shownSinceOpen_[0] = true;
    media::CivilTime t;
    t.year = header.year + 1900;
    t.month = header.month + 1;
    t.day = header.day;
    t.hour = header.hour;
    t.minute = header.minute;
    t.second = header.second;
    timeText_ = media::FormatCivil(t);
    out_.TimeText(timeText_);
    out_.Status(kTextUmsFile);
    return 0;
}

int PlaybackEngine::OpenStill(const std::string& path) {
    out_.Status(kTextLoading);
    platform::MappedFile file;
    const platform::MapError mapped = file.Open(path);
    if (mapped == platform::MapError::kEmpty) return kTextImproperFileType;
    if (mapped != platform::MapError::kNone) return kTextFileCantOpened;
    const std::span<const uint8_t> bytes(file.data(), file.size());
    const media::JpegLocation where = media::LocateJpeg(bytes);
    std::string error;
    if (!where.found || !media::DecodeJpeg(where.jpeg(bytes), &still_, &error))
        return kTextImproperFileType;
    CloseForPicture(path, OpenMode::kStill);
    out_.ShowStill(still_);
    shownSinceOpen_[0] = true;
    if (where.hasTrailer && where.trailer.timePresent) {
        timeText_ = media::FormatCivil(where.trailer.time);
        out_.TimeText(timeText_);
    }
    out_.Status(kTextStop);
    return 0;
}

void PlaybackEngine::ScanFolder(const std::string& indexPath) {
    namespace fs = std::filesystem;
    folderList_.clear();
    folderIndex_ = -1;
    const fs::path p(indexPath);
    folder_ = p.parent_path().string();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(p.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(ec) && EndsWithNoCase(name, ".idx")) folderList_.push_back(name);
    }
    std::sort(folderList_.begin(), folderList_.end());
    const auto it = std::find(folderList_.begin(), folderList_.end(), p.filename().string());
    folderIndex_ = it == folderList_.end() ? -1 : static_cast<int>(it - folderList_.begin());
}

bool PlaybackEngine::OpenAdjacent(int direction) {
    if (mode_ != OpenMode::kPair || folderIndex_ < 0) return false;
    // Recordings of the folder that fail to open are passed over.
    for (int i = folderIndex_ + direction; i >= 0 && i < static_cast<int>(folderList_.size());
         i += direction) {
        const std::string path = (std::filesystem::path(folder_) / folderList_[i]).string();
        continuing_ = true;
        const int failure = OpenLocked(path, 0, direction < 0);
        continuing_ = false;
        if (failure == 0) {
            folderIndex_ = i;
            out_.RecordingChanged(path);
            return true;
        }
    }
    return false;
}

// ---- the play thread --------------------------------------------------------------------

void PlaybackEngine::StartThread() {
    stopRequest_ = false;
    if (!ticks_) return;
    ticks_->Start();
    threadRunning_ = true;
    thread_ = std::thread([this] { ThreadMain(); });
}

void PlaybackEngine::EndThread(std::unique_lock<std::mutex>& lock) {
    stopRequest_ = true;
    gate_.notify_all();
    if (ticks_) ticks_->Wake();
    if (thread_.joinable()) {
        lock.unlock();
        thread_.join();
        lock.lock();
    }
    if (ticks_) ticks_->Stop();
    threadRunning_ = false;
}

void PlaybackEngine::ThreadMain() {
    RaiseToTimeCriticalPriority();
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            gate_.wait(lock, [this] {
                return stopRequest_ ||
                       (state_ != EngineState::kPaused && state_ != EngineState::kPanorama);
            });
            if (stopRequest_) break;
        }
        // A missed tick (the machine stalled) is no reason to end playing: only the stop
        // request or the end of the data ends the thread.
        ticks_->Wait(EngineTiming::kTickWaitMs);
        std::unique_lock lock(mutex_);
        if (stopRequest_) break;
        if (state_ != EngineState::kPlaying) continue;
        if (!RunTick()) break;
    }
    std::lock_guard lock(mutex_);
    threadRunning_ = false;
}

bool PlaybackEngine::RunTick() {
    if (state_ != EngineState::kPlaying) return false;
    // Pictures of several channels often share a moment: every one that is on time goes out
    // in the same tick instead of one a tick.
    for (int i = 0; i < kChannelCount; ++i) {
        if (EndOfList()) return false;
        onTime_ = false;
        Pace(clock_.NowUs());
        if (state_ != EngineState::kPlaying) return state_ != EngineState::kStopped;
        if (!hold_) {
            Move();
            EmitPosition();
        }
        if (firstPass_) {
            firstPass_ = false;
            if (audio_ && recording_.index().audioCount() > 0 && sound_) {
                audioOpen_ = audio_->Open(recording_);
                // A recording continued at another speed keeps its sound paused until x1.
                if (audioOpen_ && speed_ != 1.0f) audio_->Pause();
            }
        }
        if (pauseWhenCellsShown_) {
            if (cellsWaiting() == 0) {
                pauseWhenCellsShown_ = false;
                state_ = EngineState::kPaused;
                out_.Status(kTextPause);
            }
            break;
        }
        if (!onTime_ || hold_) break;
    }
    return true;
}

bool PlaybackEngine::EndOfList() {
    const int64_t count = Count();
    if (mode_ == OpenMode::kPair) {
        bool opened = true;
        if (speed_ == kReverse && position_ < 0)
            opened = OpenAdjacent(-1);
        else if (speed_ > 0 && position_ >= count - 1)
            opened = OpenAdjacent(+1);
        if (opened && position_ >= 0 && position_ < Count()) return false;
    } else if (position_ >= 0 && position_ <= count - 2) {
        return false;
    }
    StopAtEnd();
    return true;
}

void PlaybackEngine::StopAtEnd() {
    if (audioOpen_ && audio_) audio_->Close();
    audioOpen_ = false;
    out_.Status(kTextStop);
    speed_ = 1.0f;
    state_ = EngineState::kStopped;
    position_ = 0;
    pauseWhenCellsShown_ = false;
    EmitPosition();
    sizeCode_ = 255;
    out_.SetSizeCode(255);
}

void PlaybackEngine::ResetPacing() {
    hold_ = false;
    skip_ = false;
    lateKind_ = -1;
    resync_ = true;
}

// ---- pacing -----------------------------------------------------------------------------

void PlaybackEngine::Pace(int64_t now) {
    now_ = now;
    const auto frames = recording_.index().frames();
    const int64_t count = Count();
    if (resync_) {
        // Restart at the next Intra picture in the playing direction.
        ClearIntraFlags();
        resync_ = false;
        hold_ = false;
        skip_ = false;
        heldForSound_ = false;
        const int64_t step = speed_ < 0 ? -1 : 1;
        while (position_ >= 0 && position_ < count && frames[position_].kind != kIntra)
            position_ += step;
        if (position_ < 0 || position_ >= count) {
            position_ = step < 0 ? -1 : count - 1;  // the end rules take it from here
            return;
        }
        ShowFrame(position_, false);
        // The schedule starts from this frame even when its cell is hidden.
        Anchor(frames[position_].stamp);
        lastStamp_ = frames[position_].stamp;
        return;
    }
    const media::FrameEntry& e = frames[position_];
    const int64_t stamp = e.stamp;

    bool late = false;
    if (audioOpen_ && audio_ && sound_ && speed_ == 1.0f &&
        layout_ == recording_.index().audioChannel()) {
        // The sound leads: a picture waits for the block that plays with it.
        const int64_t a = audio_->PlayingStamp();
        if (a >= 0 && a >= lastAudioSync_) {
            if (a < stamp) {
                lastAudioSync_ = a;
                hold_ = true;
                heldForSound_ = true;
                return;
            }
            late = a - stamp > EngineTiming::kAudioLead;
            // The sound let the picture go: from here the schedule follows the sound.
            if (!late && heldForSound_) Anchor(stamp);
        }
        heldForSound_ = false;
    }
    const double speed = speed_;
    const bool forward = speed > 0;
    // T: media time played since the schedule's origin, in stamp ticks; D: the picture's
    // stamp distance from it. `behind` is how far the picture is past its due time.
    const int64_t t = static_cast<int64_t>(static_cast<double>(now - originTime_) * speed *
                                           EngineTiming::kTicksPerMs / 1000.0);
    const int64_t d = stamp - originStamp_;
    const int64_t behind = forward ? t - d : d - t;
    if (!late) {
        // Late means the play has fallen behind: the next moment of the recording is due
        // already. A picture that can still go out before that is shown, so decoding the
        // pictures of a busy moment one after the other never drops the last of them.
        const int64_t slack = std::max(EngineTiming::kOnTimeWindow + EngineTiming::kLateTolerance,
                                       forward ? NextMomentAfter(position_) : 0);
        if (behind >= 0 && behind <= slack) {
            if (e.kind <= kPredicted) ShowFrame(position_, false);
            hold_ = false;
            skip_ = false;
            onTime_ = true;
            return;
        }
        late = behind > 0;
    }
    if (late) {
        // A real stall: the pictures shown late start the schedule again where they are shown.
        lateKind_ = e.kind;
        if (e.kind == kPredicted) {
            skip_ = true;
            hold_ = false;
        } else if (e.kind == kAnchor) {
            if (ShowFrame(position_, false)) Anchor(stamp);
            skip_ = true;
            hold_ = false;
        } else if (e.kind == kIntra) {
            if (ShowFrame(position_, false)) Anchor(stamp);
            skip_ = false;
            hold_ = false;
        }
        return;
    }
    // Early: wait, unless the gap after the picture shown last is longer than the recording
    // could mean at this speed.
    const int64_t gap = stamp - lastStamp_;
    if (std::llabs(gap) > static_cast<int64_t>(std::fabs(speed) * EngineTiming::kGapLimit)) {
        ShowFrame(position_, false);
        Anchor(stamp);
        hold_ = false;
    } else {
        hold_ = true;
    }
}

int64_t PlaybackEngine::NextMomentAfter(int64_t pos) const {
    const auto frames = recording_.index().frames();
    const int64_t stamp = frames[pos].stamp;
    // Pictures of one moment lie together; a busy moment has one a channel.
    const int64_t end = std::min<int64_t>(Count(), pos + 2 * kChannelCount);
    for (int64_t p = pos + 1; p < end; ++p)
        if (static_cast<int64_t>(frames[p].stamp) > stamp) return frames[p].stamp - stamp;
    return 0;
}

void PlaybackEngine::Move() {
    const auto frames = recording_.index().frames();
    const int64_t last = Count() - 1;
    if (speed_ == kReverse) {
        --position_;
        return;
    }
    if (!skip_) {
        ++position_;
        return;
    }
    auto wanted = [&](int kind) {
        if (lateKind_ == kIntra) return kind == kIntra;
        return kind == kIntra || kind == kAnchor;
    };
    if (lateKind_ != kIntra && lateKind_ != kAnchor && lateKind_ != kPredicted) return;
    // The skip stops at the last frame; the end rules then end the file.
    do {
        ++position_;
    } while (position_ < last && !wanted(frames[position_].kind));
    position_ = std::min(position_, last);
}

bool PlaybackEngine::KindDecodedAtSpeed(int kind) const {
    if (speed_ == 8.0f || speed_ == kReverse) return kind == kIntra;
    if (speed_ == 2.0f || speed_ == 4.0f) return kind != kPredicted;
    return true;
}

bool PlaybackEngine::ShowFrame(int64_t pos, bool stepping) {
    if (pos < 0 || pos >= Count()) return false;
    const media::FrameEntry& e = recording_.index().frames()[pos];
    const int c = e.channel & 15;
    if (!hasIntra_[c]) {
        if (e.kind != kIntra) return false;
        hasIntra_[c] = true;
    }
    if (!LayoutShows(layout_, c)) return false;
    UpdateTime(e);
    if (!stepping && !KindDecodedAtSpeed(e.kind)) return false;
    media::FrameHeader header;
    size_t size = 0;
    if (!recording_.ReadVideo(static_cast<size_t>(pos), &header, payload_.get(), &size) ||
        size == 0)
        return false;
    if (header.sizeCode() != sizeCode_) {
        sizeCode_ = header.sizeCode();
        out_.SetSizeCode(sizeCode_);
    }
    if (header.motion() != motion_[c] || header.sensor() != sensor_[c]) {
        motion_[c] = header.motion();
        sensor_[c] = header.sensor();
        out_.SetMarks(c, motion_[c], sensor_[c]);
    }
    lastStamp_ = e.stamp;
    shownSinceOpen_[c] = true;
    if (audioOpen_ && audio_) audio_->FollowPicture(e.offset);
    ++picturesShown_;
    out_.ShowPicture(c, e.kind, e.stamp, payload_.get(), size);
    return true;
}

void PlaybackEngine::UpdateTime(const media::FrameEntry& e) {
    if (e.kind == kPredicted) return;
    std::string text = media::FormatWallTime(e.time);
    if (text != timeText_) {
        timeText_ = std::move(text);
        out_.TimeText(timeText_);
    }
}

void PlaybackEngine::EmitPosition() {
    out_.Position(position_, std::max<int64_t>(Count() - 1, 0));
}

// ---- go to time -------------------------------------------------------------------------

int64_t PlaybackEngine::FindTime(int64_t target) const {
    const auto frames = recording_.index().frames();
    const int64_t count = Count();
    if (count == 0) return -1;
    const int64_t last = count - 1;
    int64_t pos = std::clamp<int64_t>(position_, 0, last);
    const int64_t c = frames[pos].time;
    const int64_t d = frames[last].time;
    if (std::llabs(target - d) > std::llabs(target - c) || c == d) {
        // A target before the picture on show is looked for from the start.
        if (c > target) pos = 0;
        while (pos < last && frames[pos].time < target)
            ++pos;
        return frames[pos].time >= target ? pos : -1;
    }
    // Backwards from the last frame, stopping at the first one when the target lies before
    // every frame; the search then lands on the first picture at or after the target.
    pos = last;
    while (pos > 0 && frames[pos - 1].time >= target)
        --pos;
    return pos;
}

bool PlaybackEngine::GoToTime(int64_t wallTime) {
    std::lock_guard lock(mutex_);
    if (mode_ != OpenMode::kPair && mode_ != OpenMode::kDataFile) return false;
    const int64_t found = FindTime(wallTime);
    if (found < 0) return false;
    position_ = found;
    ResetPacing();
    EmitPosition();
    return true;
}

// ---- controls ---------------------------------------------------------------------------

void PlaybackEngine::SetSpeedLocked(float speed) {
    speed_ = speed;
    ResetPacing();
    out_.Status(SpeedLabel(speed));
}

void PlaybackEngine::Play() {
    std::unique_lock lock(mutex_);
    switch (state_) {
        case EngineState::kPanorama:
            if (!panoramaPositions_.empty()) FillPanorama(panoramaPositions_.back() + 1, +1);
            return;
        case EngineState::kPaused:
            pauseWhenCellsShown_ = false;
            state_ = EngineState::kPlaying;
            SetSpeedLocked(1.0f);
            if (audioOpen_ && audio_ && sound_) audio_->Restart();
            gate_.notify_all();
            return;
        case EngineState::kPlaying:
            // Play while opening at a time: keep playing once the cells show their pictures.
            pauseWhenCellsShown_ = false;
            if (speed_ == 1.0f) return;
            SetSpeedLocked(1.0f);
            // The sound paused for the other speed plays again from the picture on screen.
            if (audioOpen_ && audio_ && sound_) audio_->Restart();
            return;
        case EngineState::kStopped:
            if (!recording_.isOpen()) return;
            EndThread(lock);
            ResetPacing();
            firstPass_ = true;
            state_ = EngineState::kPlaying;
            SetSpeedLocked(1.0f);
            StartThread();
            return;
    }
}

void PlaybackEngine::Pause() {
    std::lock_guard lock(mutex_);
    if (state_ != EngineState::kPlaying) return;
    state_ = EngineState::kPaused;
    if (audioOpen_ && audio_) audio_->Pause();
    out_.Status(kTextPause);
}

void PlaybackEngine::Stop() {
    std::unique_lock lock(mutex_);
    EndThread(lock);
    if (state_ == EngineState::kPanorama) {
        out_.SetPanorama(false);
        layout_ = panoramaReturnLayout_;
        out_.LayoutChanged(layout_);
    }
    state_ = EngineState::kStopped;
    pauseWhenCellsShown_ = false;
    out_.Status(kTextStop);
    position_ = 0;
    speed_ = 1.0f;
    EmitPosition();
    sizeCode_ = 255;
    out_.SetSizeCode(255);
    if (audioOpen_ && audio_) audio_->Close();
    audioOpen_ = false;
}

void PlaybackEngine::Reverse() {
    std::lock_guard lock(mutex_);
    if (state_ == EngineState::kPanorama) {
        if (!panoramaPositions_.empty()) FillPanorama(panoramaPositions_.front() - 1, -1);
        return;
    }
    if (state_ == EngineState::kStopped) return;
    if (audioOpen_ && audio_) audio_->Pause();
    SetSpeedLocked(kReverse);
    if (state_ == EngineState::kPaused) {
        state_ = EngineState::kPlaying;
        gate_.notify_all();
    }
}

void PlaybackEngine::Slow() {
    std::lock_guard lock(mutex_);
    if (state_ != EngineState::kPlaying || speed_ <= kSpeeds[0]) return;
    if (audioOpen_ && audio_) audio_->Pause();
    SetSpeedLocked(speed_ == kReverse ? kReverse : speed_ * 0.5f);
}

void PlaybackEngine::Fast() {
    std::lock_guard lock(mutex_);
    if (state_ != EngineState::kPlaying || !(speed_ > 0 && speed_ < 8.0f)) return;
    if (audioOpen_ && audio_) audio_->Pause();
    SetSpeedLocked(speed_ * 2.0f);
}

void PlaybackEngine::PreviousFrame() {
    std::lock_guard lock(mutex_);
    if (state_ != EngineState::kPaused) return;
    now_ = clock_.NowUs();
    if (position_ <= 0) {
        if (!OpenAdjacent(-1)) {
            StopAtEnd();
            return;
        }
        state_ = EngineState::kPaused;
    }
    // Only Intra pictures can be shown on their own when stepping backwards.
    for (;;) {
        ClearIntraFlags();
        --position_;
        if (position_ < 0) {
            position_ = 0;
            break;
        }
        const auto& e = recording_.index().frames()[position_];
        if (e.kind == kIntra && ShowFrame(position_, true)) break;
    }
    resync_ = true;
    EmitPosition();
}

void PlaybackEngine::NextFrame() {
    std::lock_guard lock(mutex_);
    if (state_ != EngineState::kPaused) return;
    now_ = clock_.NowUs();
    if (position_ >= Count() - 1) {
        if (!OpenAdjacent(+1)) {
            StopAtEnd();
            return;
        }
        state_ = EngineState::kPaused;
        position_ = -1;
    }
    while (position_ < Count() - 1) {
        ++position_;
        if (ShowFrame(position_, true)) break;
    }
    EmitPosition();
}

void PlaybackEngine::SelectLayout(int id) {
    std::lock_guard lock(mutex_);
    if (!ValidLayout(id) || state_ == EngineState::kPanorama) return;
    const media::FrameIndex& index = recording_.index();
    if (recording_.isOpen()) {
        bool any = false;
        for (int c = 0; c < kChannelCount; ++c)
            any = any || (LayoutShows(id, c) && index.channelPresent(c));
        if (!any) {
            out_.Message(kTextNoMoreVideo);
            return;
        }
    }
    layout_ = id;
    shownSinceOpen_.fill(false);
    out_.LayoutChanged(id);
    ResetPacing();
}

void PlaybackEngine::Seek(int64_t position) {
    std::lock_guard lock(mutex_);
    if (!recording_.isOpen()) return;
    position_ = std::clamp<int64_t>(position, 0, std::max<int64_t>(Count() - 1, 0));
    ResetPacing();
}

void PlaybackEngine::SeekReleased() {
    std::lock_guard lock(mutex_);
    lastAudioSync_ = -1;
}

void PlaybackEngine::SetSound(bool on) {
    std::lock_guard lock(mutex_);
    sound_ = on;
    lastAudioSync_ = -1;
    if (!recording_.isOpen() || (mode_ != OpenMode::kPair && mode_ != OpenMode::kDataFile)) return;
    if (!on) {
        if (audioOpen_) audio_->Pause();
        return;
    }
    if (audioOpen_) {
        audio_->Restart();
        return;
    }
    if (!audio_ || recording_.index().audioCount() == 0) {
        out_.Message(kTextAudioFailed);
        return;
    }
    // While paused or before the first tick the sound opens with the play loop.
    if (Playing() && !firstPass_) {
        audioOpen_ = audio_->Open(recording_);
        if (!audioOpen_) out_.Message(kTextAudioFailed);
    }
}

// ---- panorama ---------------------------------------------------------------------------

void PlaybackEngine::TogglePanorama() {
    std::lock_guard lock(mutex_);
    if (state_ == EngineState::kStopped || !recording_.isOpen()) return;
    now_ = clock_.NowUs();
    if (state_ != EngineState::kPanorama) {
        panoramaReturnLayout_ = layout_;
        state_ = EngineState::kPanorama;
        out_.Status(kTextPanorama);
        if (audioOpen_ && audio_) audio_->Pause();
        layout_ = kLayoutAll;
        out_.LayoutChanged(layout_);
        out_.SetPanorama(true);
        FillPanorama(std::max<int64_t>(position_, 0), +1);
        return;
    }
    layout_ = panoramaReturnLayout_;
    out_.LayoutChanged(layout_);
    out_.SetSizeCode(sizeCode_);
    out_.SetPanorama(false);
    out_.ResetCells();
    ResetPacing();
    state_ = EngineState::kPlaying;
    out_.Status(SpeedLabel(speed_));
    if (audioOpen_ && audio_ && sound_) audio_->Restart();
    gate_.notify_all();
}

void PlaybackEngine::FillPanorama(int64_t from, int direction) {
    const auto frames = recording_.index().frames();
    const int64_t count = Count();
    std::vector<int64_t> found;
    found.reserve(kPanoramaCells);
    for (int64_t p = from; p >= 0 && p < count && found.size() < kPanoramaCells; p += direction)
        if (frames[p].kind == kIntra) found.push_back(p);
    if (found.empty()) return;  // no page beyond the end: the page on show stays
    if (direction < 0) std::reverse(found.begin(), found.end());
    panoramaPositions_ = found;
    out_.ResetCells();
    for (size_t cell = 0; cell < found.size(); ++cell) {
        media::FrameHeader header;
        size_t size = 0;
        if (!recording_.ReadVideo(static_cast<size_t>(found[cell]), &header, payload_.get(),
                                  &size) ||
            size == 0)
            continue;
        if (header.sizeCode() != sizeCode_) {
            sizeCode_ = header.sizeCode();
            out_.SetSizeCode(sizeCode_);
        }
        out_.ShowPicture(static_cast<int>(cell), kIntra, frames[found[cell]].stamp, payload_.get(),
                         size);
    }
    position_ = found.front();
    EmitPosition();
}

// ---- queries ----------------------------------------------------------------------------

EngineState PlaybackEngine::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}
OpenMode PlaybackEngine::mode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}
float PlaybackEngine::speed() const {
    std::lock_guard lock(mutex_);
    return speed_;
}
int64_t PlaybackEngine::position() const {
    std::lock_guard lock(mutex_);
    return position_;
}
int PlaybackEngine::layout() const {
    std::lock_guard lock(mutex_);
    return layout_;
}
int64_t PlaybackEngine::frameCount() const {
    std::lock_guard lock(mutex_);
    return Count();
}
bool PlaybackEngine::playThreadRunning() const {
    std::lock_guard lock(mutex_);
    return threadRunning_;
}
uint64_t PlaybackEngine::picturesShown() const {
    std::lock_guard lock(mutex_);
    return picturesShown_;
}
std::string PlaybackEngine::fileName() const {
    std::lock_guard lock(mutex_);
    return fileName_;
}

int PlaybackEngine::cellsWaiting() const {
    // Called with the lock held by RunTick, and by the window through lock().
    int waiting = 0;
    for (int c = 0; c < kChannelCount; ++c)
        if (LayoutShows(layout_, c) && recording_.index().channelPresent(c) && !shownSinceOpen_[c])
            ++waiting;
    return waiting;
}

}  // namespace player
