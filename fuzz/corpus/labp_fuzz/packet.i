Token_PolyPrim_10:
 (((0) & 0xf) << 28)|(((0) & 0xf) << 24)|(((0x80) & 0xff) << 16)|(((2 << 3)|0x4) & 0xffff);
 @half(2);
 @map(@half(6));
 0x00000000;
 @byte(255); @byte(127); @byte(0); @byte(0x38);
 @half(0); @half(0); @half(0); @half(3);
 @half(1); @half(-2); @half(3); @half(0);
 (Token_PolyPrim_10 - Token_PolyPrim_10) / 4;
