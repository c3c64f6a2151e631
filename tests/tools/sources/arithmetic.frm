/* Every operator and function, with pooled constants. */
method ARITH
input x, y;
output r;
inout t;
static s;
proc
t = (x + y) * 2 - x / 4 % 50 + -y;
s = x mod 3;
r = round(t, 2) + ceil(x, 1) - floor(y, 0) + s + 2.50 + 2.5;
endp
