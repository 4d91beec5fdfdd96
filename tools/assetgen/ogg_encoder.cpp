// libvorbisenc wrapper: whole buffer in, Ogg pages out.
#include "ogg_encoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

static constexpr int kChunkFrames = 4096;

static void appendPage(std::vector<uint8_t>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// Moves every finished packet into the stream and every full page into out.
static void drain(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream, std::vector<uint8_t>& out)
{
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page)) appendPage(out, page);
        }
    }
}

std::vector<uint8_t> encodeOgg(const StereoBuffer& sound, float quality, int serial)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kSoundRate, quality) != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "quelm assetgen");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    std::vector<uint8_t> out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    // The headers end their own page, so audio data starts on a fresh one.
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);

    for (size_t at = 0; at < sound.frames(); at += kChunkFrames) {
        int n = static_cast<int>(std::min<size_t>(kChunkFrames, sound.frames() - at));
        float** buffer = vorbis_analysis_buffer(&dsp, n);
        std::copy_n(&sound.left[at], n, buffer[0]);
        std::copy_n(&sound.right[at], n, buffer[1]);
        vorbis_analysis_wrote(&dsp, n);
        drain(dsp, block, stream, out);
    }
    vorbis_analysis_wrote(&dsp, 0);   // end of stream
    drain(dsp, block, stream, out);
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}
