	1 +;
/* x */ a: a: @frob(1) # 2
