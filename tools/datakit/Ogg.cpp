#include "tools/datakit/Ogg.h"

#if PALVIC_HAVE_VORBISENC
#include <vorbis/vorbisenc.h>

#include <cstdlib>
#endif

namespace datakit {

#if PALVIC_HAVE_VORBISENC

namespace {

void AppendPage(std::vector<u8>* out, const ogg_page& page)
{
    out->insert(out->end(), page.header, page.header + page.header_len);
    out->insert(out->end(), page.body, page.body + page.body_len);
}

} // namespace

bool MakeOgg(const std::vector<i16>& samples, u16 channels, u32 sampleRate, std::vector<u8>* out, float quality)
{
    out->clear();
    if (channels < 1 || channels > 2)
        return false;
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, (long)sampleRate, quality) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x50414C56); // any fixed serial keeps the output reproducible

    ogg_packet identification, commentPacket, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &identification, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &identification);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    // The headers end on a page of their own, as decoders expect.
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    const size_t frames = samples.size() / channels;
    const size_t chunk = 1024;
    size_t done = 0;
    bool ended = false;
    while (!ended) {
        const size_t count = frames - done < chunk ? frames - done : chunk;
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, (int)count);
            for (size_t i = 0; i < count; ++i)
                for (u16 c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
            vorbis_analysis_wrote(&dsp, (int)count);
            done += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    AppendPage(out, page);
            }
        }
        // After the end of stream was written every block has been drained above.
        ended = count == 0;
    }
    while (ogg_stream_flush(&stream, &page))
        AppendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return !out->empty();
}

#else

bool MakeOgg(const std::vector<i16>&, u16, u32, std::vector<u8>* out, float)
{
    out->clear();
    return false;
}

#endif

} // namespace datakit
