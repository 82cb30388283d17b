// Velmora — libheif, opened on the first HEIF photo rather than at every start: it brings the HEVC
// and AV1 codecs, whose loading would cost each start of the window and the command line.
#pragma once

#include <libheif/heif.h>

namespace velmora {

#define VELMORA_HEIF_FUNCTIONS(X) \
    X(heif_context_alloc) \
    X(heif_context_free) \
    X(heif_context_get_primary_image_handle) \
    X(heif_context_read_from_memory_without_copy) \
    X(heif_context_set_max_decoding_threads) \
    X(heif_context_set_maximum_image_size_limit) \
    X(heif_decode_image) \
    X(heif_decoding_options_alloc) \
    X(heif_decoding_options_free) \
    X(heif_image_get_bits_per_pixel_range) \
    X(heif_image_get_chroma_format) \
    X(heif_image_get_colorspace) \
    X(heif_image_get_height) \
    X(heif_image_get_nclx_color_profile) \
    X(heif_image_get_plane) \
    X(heif_image_get_plane_readonly) \
    X(heif_image_get_width) \
    X(heif_image_handle_get_color_profile_type) \
    X(heif_image_handle_get_height) \
    X(heif_image_handle_get_ispe_height) \
    X(heif_image_handle_get_ispe_width) \
    X(heif_image_handle_get_list_of_metadata_block_IDs) \
    X(heif_image_handle_get_luma_bits_per_pixel) \
    X(heif_image_handle_get_metadata) \
    X(heif_image_handle_get_metadata_content_type) \
    X(heif_image_handle_get_metadata_size) \
    X(heif_image_handle_get_metadata_type) \
    X(heif_image_handle_get_nclx_color_profile) \
    X(heif_image_handle_get_number_of_metadata_blocks) \
    X(heif_image_handle_get_raw_color_profile) \
    X(heif_image_handle_get_raw_color_profile_size) \
    X(heif_image_handle_get_width) \
    X(heif_image_handle_has_alpha_channel) \
    X(heif_image_handle_release) \
    X(heif_image_has_channel) \
    X(heif_image_release) \
    X(heif_nclx_color_profile_free)

// The functions Velmora calls, by their own names.
struct HeifLibrary {
#define VELMORA_HEIF_POINTER(name) decltype(&::name) name = nullptr;
    VELMORA_HEIF_FUNCTIONS(VELMORA_HEIF_POINTER)
#undef VELMORA_HEIF_POINTER
};

// The library, opened once; nullptr when it is not installed or lacks a function.
const HeifLibrary *Heif();

} // namespace velmora
