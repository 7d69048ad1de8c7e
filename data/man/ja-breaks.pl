#!/usr/bin/perl
# SPDX-License-Identifier: MIT
# Japanese text has no spaces where lines may break, and groff breaks lines only at
# spaces: this marks a break point (\:) between two Japanese characters in text lines,
# except before closing punctuation, the prolonged sound mark and small kana. A text line
# that ends in Japanese runs on into a next one that begins in Japanese without the space
# groff would put between them.
# usage: ja-breaks.pl PAGE.in PAGE
use strict;
use utf8;
use warnings;
use open qw(:std :encoding(UTF-8));

my ($from, $to) = @ARGV;
open(my $in, '<', $from) or die "$from: $!\n";
open(my $out, '>', $to) or die "$to: $!\n";

my $japanese = qr/[\p{Han}\p{Hiragana}\p{Katakana}ー、。」）]/;
my $opening = qr/[\p{Han}\p{Hiragana}\p{Katakana}「（]/;
my $no_break_before = qr/[ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮー、。」）・]/;
my @lines = <$in>;
for my $i (0 .. $#lines) {
    my $line = $lines[$i];
    my $text = $line !~ /^[.']/;
    $line =~ s/($japanese)(?=$opening)(?!$no_break_before)/$1\\:/g if $text;
    my $next = $i < $#lines ? $lines[$i + 1] : '';
    $line =~ s/($japanese)\n\z/$1\\:\\c\n/ if $text && $next =~ /^$opening/ && $next !~ /^$no_break_before/;
    print $out $line;
}
close($out) or die "$to: $!\n";
