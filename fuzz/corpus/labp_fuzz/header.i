# 1 "model.lab"
# 1 "hmd\\hmd.def" 1
# 3 "model.lab" 2
	0x00000050;
	0x00000000;
	Token_PrimHdrSect_1 / 4;
	3;
	0x00000000;
	Token_PolyPrimSet_4 / 4;
	0x00000000;
Token_CoordSect_0:
	1;
	0x00000000;
	@coordm(0, 0, 0, 0, 0, 0);
	0;
Token_PrimHdrSect_1:
	1;
Token_PolyPrimSet_4:
	0xffffffff;
	@map(Token_PrimHdrSect_1 / 4);
	@map(1);
