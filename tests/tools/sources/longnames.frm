method ABCDEFGH
input a_very_long_name_19, b;
output result_value;
proc
result_value = a_very_long_name_19 * 123456.789012 + b;
endp
