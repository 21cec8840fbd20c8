/* libvsip-tv: sources arrive with the signal-library core. */
typedef int vsip_tv_translation_unit_is_not_empty;
