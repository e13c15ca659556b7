// SPDX-License-Identifier: GPL-3.0-or-later
// Beat analysis: aubio's spectral flux as the onset function, tempo from its autocorrelation,
// beats placed by dynamic programming, bars by the kick drum; results cached per file content.
#include "beatanalysis.h"

#include "averror.h"
#include "soundreader.h"

#include <aubio/aubio.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

namespace {

// Low enough to decode and transform a song in well under a second, high enough to keep the
// snare's and the hi-hat's lower partials (up to 5.5 kHz).
constexpr int kRateHz = 11025;
// 46 ms window (21.5 Hz bins, six of them below the kick's 150 Hz), 5.8 ms between frames.
constexpr int kWindow = 512;
constexpr int kHop = 64;
constexpr double kFps = double(kRateHz) / kHop;
// Bands of the onset functions: the kick alone, and kick plus snare (hi-hats mostly above).
constexpr double kLowHz = 150.0;
constexpr double kBeatBandHz = 1500.0;
constexpr double kMinBpm = 60.0;
constexpr double kMaxBpm = 190.0;
// Centre and width (octaves) of the tempo prior: most music sits near 120 BPM.
constexpr double kPriorBpm = 120.0;
constexpr double kPriorOctaves = 1.0;
// Tempo is followed over windows of 8 s, one every second.
constexpr double kLocalWindowS = 8.0;
constexpr double kLocalStepS = 1.0;
// How strongly the beat tracker holds to the local period (penalty per squared log ratio).
constexpr double kTightness = 100.0;
// A frame is music when its level is within 45 dB of the loudest (and above -80 dBFS).
constexpr double kActiveDb = -45.0;
constexpr double kFloorDb = -80.0;
// How far before the end of its frame an onset lies when the frame's flux peaks (the Hann window
// weighs a new sound in gradually): measured on synthetic drums, 20 ms.
constexpr double kLatencySamples = 220.0;
// The least autocorrelation at the beat period, against that at no lag, of music with a beat:
// drums and plucked notes give 0.4 to 0.75, a minute of noise 0.03 and a steady tone nothing.
constexpr double kMinPulse = 0.15;
// Bumped whenever the analysis changes, so that older cached results are recomputed.
constexpr int kCacheVersion = 2;

struct AubioDeleter
{
    void operator()(aubio_pvoc_t *p) const { del_aubio_pvoc(p); }
    void operator()(aubio_specdesc_t *p) const { del_aubio_specdesc(p); }
    void operator()(fvec_t *p) const { del_fvec(p); }
    void operator()(cvec_t *p) const { del_cvec(p); }
};
template <typename T> using AubioPtr = std::unique_ptr<T, AubioDeleter>;

class Progress
{
public:
    explicit Progress(const BeatOptions &o) : m_options(o) {}
    bool cancelled() const { return m_options.cancel && m_options.cancel->load(); }
    void report(double at) const
    {
        if (m_options.progress)
            m_options.progress(std::clamp(at, 0.0, 1.0));
    }

private:
    const BeatOptions &m_options;
};

constexpr int kCancelled = 1; // a positive code: no FFmpeg code is positive

// The whole track as mono float at kRateHz.
int decodeMono(const QString &szFile, std::vector<float> &samples, const Progress &progress,
               double from, double to)
{
    SoundReader reader;
    int ret = reader.open(szFile, kRateHz, 1, 0);
    if (ret < 0)
        return ret;
    const double expected =
        reader.input->duration > 0 ? double(reader.input->duration) / AV_TIME_BASE * kRateHz : 0.0;
    while (true) {
        if (progress.cancelled())
            return kCancelled;
        const bool bDone = reader.eof;
        if (!bDone && (ret = reader.pull()) < 0)
            return ret;
        const int n = av_audio_fifo_size(reader.fifo.get());
        if (n > 0) {
            const size_t at = samples.size();
            samples.resize(at + size_t(n));
            void *plane = samples.data() + at;
            if (av_audio_fifo_read(reader.fifo.get(), &plane, n) < n)
                return AVERROR(ENOMEM);
        }
        if (expected > 0)
            progress.report(from + (to - from) * std::min(1.0, samples.size() / expected));
        if (bDone)
            return 0;
    }
}

struct Onsets
{
    std::vector<double> full; // whole spectrum
    std::vector<double> beat; // below kBeatBandHz: kick and snare
    std::vector<double> low;  // below kLowHz: the kick
    std::vector<double> rms;  // level of each hop
};

// Aubio's spectral flux over the whole spectrum and over two low bands (the spectrum with the
// bins above the band cleared).
int onsetFunctions(const std::vector<float> &samples, Onsets &out, const Progress &progress,
                   double from, double to)
{
    AubioPtr<aubio_pvoc_t> pvoc(new_aubio_pvoc(kWindow, kHop));
    AubioPtr<fvec_t> hop(new_fvec(kHop));
    AubioPtr<cvec_t> spectrum(new_cvec(kWindow));
    AubioPtr<cvec_t> band(new_cvec(kWindow));
    AubioPtr<fvec_t> value(new_fvec(1));
    const char *method = "specflux";
    AubioPtr<aubio_specdesc_t> fullFlux(new_aubio_specdesc(method, kWindow));
    AubioPtr<aubio_specdesc_t> beatFlux(new_aubio_specdesc(method, kWindow));
    AubioPtr<aubio_specdesc_t> lowFlux(new_aubio_specdesc(method, kWindow));
    if (!pvoc || !hop || !spectrum || !band || !value || !fullFlux || !beatFlux || !lowFlux)
        return AVERROR(ENOMEM);
    const double binHz = double(kRateHz) / kWindow;
    const uint_t lowBins = uint_t(kLowHz / binHz) + 1;
    const uint_t beatBins = uint_t(kBeatBandHz / binHz) + 1;
    const size_t frames = samples.size() / kHop;
    for (auto *v : {&out.full, &out.beat, &out.low, &out.rms})
        v->resize(frames);
    const auto bandFlux = [&](aubio_specdesc_t *desc, uint_t bins) {
        std::copy(spectrum->norm, spectrum->norm + bins, band->norm);
        std::fill(band->norm + bins, band->norm + band->length, 0.0f);
        aubio_specdesc_do(desc, band.get(), value.get());
        return double(value->data[0]);
    };
    for (size_t i = 0; i < frames; ++i) {
        if ((i & 4095) == 0) {
            if (progress.cancelled())
                return kCancelled;
            progress.report(from + (to - from) * double(i) / double(frames));
        }
        const float *in = samples.data() + i * kHop;
        double energy = 0.0;
        for (int k = 0; k < kHop; ++k) {
            hop->data[k] = in[k];
            energy += double(in[k]) * in[k];
        }
        out.rms[i] = std::sqrt(energy / kHop);
        aubio_pvoc_do(pvoc.get(), hop.get(), spectrum.get());
        aubio_specdesc_do(fullFlux.get(), spectrum.get(), value.get());
        out.full[i] = value->data[0];
        out.beat[i] = bandFlux(beatFlux.get(), beatBins);
        out.low[i] = bandFlux(lowFlux.get(), lowBins);
    }
    return 0;
}

double frameToSeconds(double frame)
{
    return ((frame + 1.0) * kHop - kLatencySamples) / kRateHz;
}

void normalise(std::vector<double> &v)
{
    if (v.empty())
        return;
    const double mean = std::accumulate(v.begin(), v.end(), 0.0) / v.size();
    double var = 0.0;
    for (double x : v)
        var += (x - mean) * (x - mean);
    const double sd = std::sqrt(var / v.size());
    for (double &x : v)
        x = sd > 1e-9 ? x / sd : 0.0;
}

// Autocorrelation of f[begin, end) (mean removed) at lags 0..maxLag.
std::vector<double> autocorrelation(const std::vector<double> &f, size_t begin, size_t end,
                                    int maxLag)
{
    std::vector<double> ac(size_t(maxLag) + 1, 0.0);
    if (end <= begin)
        return ac;
    const double mean =
        std::accumulate(f.begin() + long(begin), f.begin() + long(end), 0.0) / double(end - begin);
    std::vector<double> x(f.begin() + long(begin), f.begin() + long(end));
    for (double &v : x)
        v -= mean;
    for (int lag = 0; lag <= maxLag && size_t(lag) < x.size(); ++lag) {
        double sum = 0.0;
        for (size_t i = size_t(lag); i < x.size(); ++i)
            sum += x[i] * x[i - size_t(lag)];
        // Unbiased: long lags are not favoured or penalised by the overlap's length.
        ac[size_t(lag)] = sum / double(x.size() - size_t(lag));
    }
    return ac;
}

double bpmToLag(double bpm)
{
    return 60.0 * kFps / bpm;
}

// The peak's lag refined between frames by a parabola through it and its neighbours.
double refinedPeak(const std::vector<double> &ac, int lag)
{
    if (lag <= 0 || size_t(lag + 1) >= ac.size())
        return lag;
    const double a = ac[size_t(lag - 1)], b = ac[size_t(lag)], c = ac[size_t(lag + 1)];
    const double d = a - 2 * b + c;
    return d < 0 ? lag + std::clamp(0.5 * (a - c) / d, -0.5, 0.5) : lag;
}

// The largest value of ac within ±2 lags of `lag`.
double peakNear(const std::vector<double> &ac, double lag)
{
    double best = -1e300;
    for (int l = int(std::lround(lag)) - 2; l <= int(std::lround(lag)) + 2; ++l)
        if (l > 0 && size_t(l) < ac.size())
            best = std::max(best, ac[size_t(l)]);
    return best;
}

// The beat period (frames) of the whole track: the strongest prior-weighted peak of `ac`, moved
// to the faster octave when the kick and snare (`drums`, their bands' autocorrelation) repeat
// there almost as strongly: a peak at twice the period comes with every beat, so the prior alone
// would halve fast tempos, while hi-hats between the beats must not double slow ones.
double globalPeriod(const std::vector<double> &ac, const std::vector<double> &drums)
{
    const int minLag = int(std::floor(bpmToLag(kMaxBpm)));
    const int maxLag = int(std::ceil(bpmToLag(kMinBpm)));
    int best = 0;
    double bestScore = -1e300;
    for (int lag = minLag; lag <= maxLag && size_t(lag) < ac.size(); ++lag) {
        const double octaves = std::log2(bpmToLag(kPriorBpm) / lag);
        const double score =
            ac[size_t(lag)] * std::exp(-0.5 * std::pow(octaves / kPriorOctaves, 2));
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    if (best == 0)
        return bpmToLag(kPriorBpm);
    double period = refinedPeak(ac, best);
    const double strength = peakNear(drums, period);
    if (period / 2 >= bpmToLag(kMaxBpm) - 0.5 && strength > 0 &&
        peakNear(drums, period / 2) > 0.5 * strength) {
        const int half = int(std::lround(period / 2));
        int at = half;
        for (int l = half - 2; l <= half + 2; ++l)
            if (ac[size_t(l)] > ac[size_t(at)])
                at = l;
        period = refinedPeak(ac, at);
    }
    return period;
}

// The beat period at every frame: the autocorrelation peak of each 8 s window, searched within
// a factor 1.6 of the whole track's period (never an octave away), median-smoothed.
std::vector<double> localPeriods(const std::vector<double> &f, const std::vector<bool> &active,
                                 double global)
{
    const size_t n = f.size();
    const size_t window = size_t(kLocalWindowS * kFps);
    const size_t step = size_t(kLocalStepS * kFps);
    const int minLag = std::max(int(bpmToLag(kMaxBpm)), int(global / 1.6));
    const int maxLag = std::min(int(std::ceil(bpmToLag(kMinBpm))), int(global * 1.6) + 1);
    std::vector<double> centres, periods;
    for (size_t start = 0; start + window / 2 < n || start == 0; start += step) {
        const size_t end = std::min(n, start + window);
        const size_t music =
            size_t(std::count(active.begin() + long(start), active.begin() + long(end), true));
        double period = global;
        if (music * 2 > end - start && end - start > size_t(2 * maxLag)) {
            const std::vector<double> ac = autocorrelation(f, start, end, maxLag + 1);
            int best = 0;
            for (int lag = minLag; lag <= maxLag; ++lag)
                if (best == 0 || ac[size_t(lag)] > ac[size_t(best)])
                    best = lag;
            if (best > 0 && ac[size_t(best)] > 0)
                period = refinedPeak(ac, best);
        }
        centres.push_back(0.5 * double(start + end));
        periods.push_back(period);
        if (end == n)
            break;
    }
    std::vector<double> smooth(periods.size());
    for (size_t i = 0; i < periods.size(); ++i) {
        std::vector<double> around;
        for (size_t j = i >= 2 ? i - 2 : 0; j <= std::min(periods.size() - 1, i + 2); ++j)
            around.push_back(periods[j]);
        std::nth_element(around.begin(), around.begin() + long(around.size() / 2), around.end());
        smooth[i] = around[around.size() / 2];
    }
    std::vector<double> perFrame(n, global);
    size_t k = 0;
    for (size_t t = 0; t < n; ++t) {
        while (k + 1 < centres.size() && centres[k + 1] <= double(t))
            ++k;
        if (double(t) <= centres.front() || k + 1 >= centres.size()) {
            perFrame[t] = smooth[double(t) <= centres.front() ? 0 : k];
        } else {
            const double w = (double(t) - centres[k]) / (centres[k + 1] - centres[k]);
            perFrame[t] = smooth[k] * (1 - w) + smooth[k + 1] * w;
        }
    }
    return perFrame;
}

// Beats by dynamic programming over the onset function: each beat's score is its onset strength
// plus the best earlier beat's score, less a penalty for straying from the local period. A chain
// starts afresh where nothing earlier helps (in silence), so no beat precedes the music.
std::vector<size_t> trackBeats(const std::vector<double> &score, const std::vector<double> &period,
                               size_t lastActive)
{
    const size_t n = score.size();
    std::vector<double> cum(n, 0.0);
    std::vector<long> back(n, -1);
    for (size_t t = 0; t < n; ++t) {
        const double tau = period[t];
        const long from = long(t) - long(std::lround(2 * tau));
        const long to = long(t) - long(std::lround(tau / 2));
        double best = 0.0;
        for (long p = std::max(0L, from); p <= to; ++p) {
            const double r = std::log((double(t) - double(p)) / tau);
            const double v = cum[size_t(p)] - kTightness * r * r;
            if (v > best) {
                best = v;
                back[t] = p;
            }
        }
        cum[t] = score[t] + best;
    }
    // The chain ends at the strongest beat in the last period of the music.
    const size_t endTo = std::min(n - 1, lastActive);
    const size_t endFrom = endTo > size_t(period[endTo]) ? endTo - size_t(period[endTo]) : 0;
    size_t end = endFrom;
    for (size_t t = endFrom; t <= endTo; ++t)
        if (cum[t] > cum[end])
            end = t;
    std::vector<size_t> beats;
    for (long t = long(end); t >= 0; t = back[size_t(t)])
        beats.push_back(size_t(t));
    std::reverse(beats.begin(), beats.end());
    return beats;
}

BeatGrid analyseOnsets(Onsets &o)
{
    BeatGrid grid;
    const size_t n = o.full.size();
    if (n < size_t(4 * kFps))
        return grid;
    const double loudest = *std::max_element(o.rms.begin(), o.rms.end());
    const double threshold =
        std::max(std::pow(10.0, kFloorDb / 20), loudest * std::pow(10.0, kActiveDb / 20));
    std::vector<bool> active(n);
    for (size_t i = 0; i < n; ++i)
        active[i] = o.rms[i] > threshold;
    const auto first = std::find(active.begin(), active.end(), true);
    if (first == active.end())
        return grid;
    const size_t firstActive = size_t(first - active.begin());
    const size_t lastActive =
        n - 1 - size_t(std::find(active.rbegin(), active.rend(), true) - active.rbegin());

    normalise(o.full);
    normalise(o.beat);
    normalise(o.low);
    // Kick and snare lead; the whole spectrum adds what the low bands miss, lightly, so that
    // loud off-beat hi-hats do not pull the beat onto themselves.
    std::vector<double> f(n), drums(n);
    for (size_t i = 0; i < n; ++i) {
        drums[i] = std::max(0.0, o.low[i] + o.beat[i]);
        f[i] = std::max(0.0, drums[i] + 0.3 * o.full[i]);
    }

    const int maxLag = int(std::ceil(bpmToLag(kMinBpm))) + 2;
    const double global = globalPeriod(autocorrelation(f, firstActive, lastActive + 1, maxLag),
                                       autocorrelation(drums, firstActive, lastActive + 1, maxLag));
    // A steady sound (a tone, noise, a held chord) has no pulse: its onset function hardly repeats
    // at any tempo, and beats forced onto it would be arbitrary.
    {
        const std::vector<double> ac = autocorrelation(f, firstActive, lastActive + 1, maxLag);
        if (!(ac[0] > 0) || peakNear(ac, global) < kMinPulse * ac[0])
            return grid;
    }
    const std::vector<double> period = localPeriods(f, active, global);

    // Smoothed a little (a Gaussian of a 32nd of the period), as onsets spread over frames.
    std::vector<double> score(n, 0.0);
    const double sigma = std::max(1.0, global / 32);
    const int reach = int(std::ceil(3 * sigma));
    std::vector<double> kernel;
    for (int k = -reach; k <= reach; ++k)
        kernel.push_back(std::exp(-0.5 * k * k / (sigma * sigma)));
    for (size_t t = 0; t < n; ++t) {
        double sum = 0.0;
        for (int k = -reach; k <= reach; ++k) {
            const long j = long(t) + k;
            if (j >= 0 && size_t(j) < n)
                sum += f[size_t(j)] * kernel[size_t(k + reach)];
        }
        score[t] = sum;
    }
    std::vector<size_t> frames = trackBeats(score, period, lastActive);

    // Beats outside the music (an intro's or an outro's silence, a long break) are dropped.
    const size_t gap = size_t(1.5 * kFps);
    std::vector<size_t> kept;
    for (size_t b : frames) {
        if (b + size_t(0.05 * kFps) < firstActive || b > lastActive + size_t(0.1 * kFps))
            continue;
        const size_t lo = b > gap ? b - gap : 0, hi = std::min(n - 1, b + gap);
        if (std::find(active.begin() + long(lo), active.begin() + long(hi) + 1, true) ==
            active.begin() + long(hi) + 1)
            continue;
        kept.push_back(b);
    }
    if (kept.size() < 2)
        return grid;

    // Each beat at the peak of the onset function next to it, between frames.
    std::vector<double> beatFrames;
    for (size_t b : kept) {
        size_t at = b;
        for (size_t j = b > 3 ? b - 3 : 0; j <= std::min(n - 1, b + 3); ++j)
            if (score[j] > score[at])
                at = j;
        double frame = double(at);
        if (at > 0 && at + 1 < n) {
            const double a = score[at - 1], c = score[at + 1], d = a - 2 * score[at] + c;
            if (d < 0)
                frame += std::clamp(0.5 * (a - c) / d, -0.5, 0.5);
        }
        beatFrames.push_back(frame);
    }
    for (double fr : beatFrames)
        grid.beats.push_back(std::max(0.0, frameToSeconds(fr)));

    // The tempo: the median of the least-squares periods of runs of nine beats.
    std::vector<double> spans;
    const size_t run = std::min<size_t>(9, grid.beats.size());
    for (size_t i = 0; i + run <= grid.beats.size(); ++i) {
        double mx = 0, my = 0;
        for (size_t k = 0; k < run; ++k) {
            mx += double(k);
            my += grid.beats[i + k];
        }
        mx /= run;
        my /= run;
        double sxy = 0, sxx = 0;
        for (size_t k = 0; k < run; ++k) {
            sxy += (k - mx) * (grid.beats[i + k] - my);
            sxx += (k - mx) * (k - mx);
        }
        if (sxx > 0)
            spans.push_back(sxy / sxx);
    }
    if (!spans.empty()) {
        std::nth_element(spans.begin(), spans.begin() + long(spans.size() / 2), spans.end());
        const double beatS = spans[spans.size() / 2];
        grid.bpm = beatS > 0 ? 60.0 / beatS : 0.0;
    }

    // Bars: the beat of the four whose onsets below 150 Hz are strongest, as the kick lands on 1.
    double strength[4] = {0, 0, 0, 0};
    int count[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < kept.size(); ++i) {
        double peak = 0.0;
        for (size_t j = kept[i] > 4 ? kept[i] - 4 : 0; j <= std::min(n - 1, kept[i] + 4); ++j)
            peak = std::max(peak, o.low[j]);
        strength[i % 4] += peak;
        ++count[i % 4];
    }
    int phase = 0;
    for (int k = 1; k < 4; ++k)
        if (count[k] > 0 && strength[k] / count[k] > strength[phase] / std::max(1, count[phase]))
            phase = k;
    for (size_t i = size_t(phase); i < grid.beats.size(); i += 4)
        grid.bars.push_back(grid.beats[i]);
    return grid;
}

QByteArray contentHash(const QString &szFile, const Progress *progress)
{
    QFile file(szFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const double size = std::max<qint64>(1, file.size());
    QByteArray chunk;
    qint64 done = 0;
    while (!(chunk = file.read(1 << 20)).isEmpty()) {
        hash.addData(chunk);
        done += chunk.size();
        if (progress) {
            if (progress->cancelled())
                return {};
            progress->report(0.05 * done / size);
        }
    }
    if (file.error() != QFileDevice::NoError)
        return {};
    return hash.result().toHex();
}

QString cachePath(const QString &szDir, const QByteArray &hash)
{
    return QDir(szDir).filePath(QString::fromLatin1(hash) + QStringLiteral(".json"));
}

std::vector<double> secondsArray(const QJsonValue &v, bool &bOk)
{
    std::vector<double> out;
    if (!v.isArray()) {
        bOk = false;
        return out;
    }
    double last = -1.0;
    for (const QJsonValue &x : v.toArray()) {
        if (!x.isDouble() || x.toDouble() < 0 || x.toDouble() < last) {
            bOk = false;
            return {};
        }
        last = x.toDouble();
        out.push_back(last);
    }
    return out;
}

// A cached grid; false for a file that is missing, corrupt or from another version.
bool readCache(const QString &szPath, BeatGrid &grid)
{
    QFile file(szPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.read(16 << 20), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    if (o.value(QStringLiteral("version")).toInt() != kCacheVersion ||
        !o.value(QStringLiteral("bpm")).isDouble())
        return false;
    bool bOk = true;
    grid.bpm = o.value(QStringLiteral("bpm")).toDouble();
    grid.beats = secondsArray(o.value(QStringLiteral("beats")), bOk);
    grid.bars = secondsArray(o.value(QStringLiteral("bars")), bOk);
    return bOk && grid.bpm >= 0 && grid.bars.size() <= grid.beats.size();
}

void writeCache(const QString &szPath, const BeatGrid &grid)
{
    const auto array = [](const std::vector<double> &v) {
        QJsonArray a;
        // Milliseconds are finer than any cut needs and keep the file small.
        for (double x : v)
            a.append(std::round(x * 1000) / 1000);
        return a;
    };
    QJsonObject o;
    o.insert(QStringLiteral("version"), kCacheVersion);
    o.insert(QStringLiteral("bpm"), std::round(grid.bpm * 1000) / 1000);
    o.insert(QStringLiteral("beats"), array(grid.beats));
    o.insert(QStringLiteral("bars"), array(grid.bars));
    if (!QDir().mkpath(QFileInfo(szPath).absolutePath()))
        return;
    // Written whole or not at all, so a crash leaves no half file for the next run to trust.
    QSaveFile file(szPath);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
        file.commit();
    }
}

} // namespace

QString BeatAnalysis::defaultCacheDir()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("VelmoraAlbum/beats"));
}

QString BeatAnalysis::cacheFileFor(const QString &szFile, const QString &szCacheDir)
{
    const QByteArray hash = contentHash(szFile, nullptr);
    if (hash.isEmpty())
        return {};
    return cachePath(szCacheDir.isEmpty() ? defaultCacheDir() : szCacheDir, hash);
}

BeatResult BeatAnalysis::analyse(const QString &szFile, const BeatOptions &options)
{
    BeatResult result;
    const Progress progress(options);
    const auto cancelled = [&] {
        result = BeatResult();
        result.error = BeatError::Cancelled;
        result.reason = tr("The beat analysis was cancelled");
        return result;
    };
    progress.report(0.0);
    QString szCache;
    if (options.bUseCache) {
        const QByteArray hash = contentHash(szFile, &progress);
        if (progress.cancelled())
            return cancelled();
        if (!hash.isEmpty()) {
            szCache =
                cachePath(options.cacheDir.isEmpty() ? defaultCacheDir() : options.cacheDir, hash);
            if (readCache(szCache, result.grid)) {
                result.bFromCache = true;
                progress.report(1.0);
                return result;
            }
            result.grid = BeatGrid();
        }
    }

    std::vector<float> samples;
    int ret = decodeMono(szFile, samples, progress, 0.05, 0.6);
    if (ret == kCancelled)
        return cancelled();
    if (ret < 0 || samples.empty()) {
        // A file that opened but gave no sound at all is as unreadable as one that did not open.
        result.error = samples.empty() ? BeatError::Unreadable : BeatError::Undecodable;
        result.code = ret < 0 ? ret : AVERROR_INVALIDDATA;
        result.reason =
            avErrorReport(tr("The music \"%1\" cannot be read").arg(szFile), result.code);
        return result;
    }
    Onsets onsets;
    ret = onsetFunctions(samples, onsets, progress, 0.6, 0.9);
    if (ret == kCancelled)
        return cancelled();
    if (ret < 0) {
        result.error = BeatError::Undecodable;
        result.code = ret;
        result.reason =
            avErrorReport(tr("The music \"%1\" cannot be analysed").arg(szFile), result.code);
        return result;
    }
    samples = std::vector<float>();
    result.grid = analyseOnsets(onsets);
    if (progress.cancelled())
        return cancelled();
    if (!szCache.isEmpty())
        writeCache(szCache, result.grid);
    progress.report(1.0);
    return result;
}
